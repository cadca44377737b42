<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja" sourcelanguage="en">
<context>
    <name>Cli</name>
    <message>
        <source>%1: the file name must end in .bmp or .png</source>
        <translation>%1: ファイル名は .bmp か .png で終わる必要があります</translation>
    </message>
    <message>
        <source>run %1 would write over the depth map %2</source>
        <translation>%1 回目の作成がデプスマップ %2 を上書きしてしまいます</translation>
    </message>
    <message>
        <source>runs %1 and %2 would both write %3</source>
        <translation>%1 回目と %2 回目の作成が同じファイル %3 に書き込んでしまいます</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>メモリが不足しています。</translation>
    </message>
    <message>
        <source>file not found</source>
        <translation>ファイルが見つかりません。</translation>
    </message>
    <message>
        <source>path/file access error</source>
        <translation>パス名またはファイルへのアクセスエラーです。</translation>
    </message>
    <message>
        <source>path not found</source>
        <translation>パスが見つかりません。</translation>
    </message>
    <message>
        <source>invalid picture</source>
        <translation>ピクチャが不正です。</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1（%2）</translation>
    </message>
    <message>
        <source>%1/%2 stereograms, %3 per second</source>
        <translation>%1/%2 枚作成、毎秒 %3 枚</translation>
    </message>
    <message>
        <source>reading %1/%2</source>
        <translation>読み込み中 %1/%2</translation>
    </message>
    <message>
        <source>cannot read %1: %2</source>
        <translation>%1 を読み込めません: %2</translation>
    </message>
    <message>
        <source>nothing written: %1 of %2 depth maps could not be read</source>
        <translation>何も書き込んでいません: デプスマップ %2 個のうち %1 個を読み込めませんでした</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>%1 に書き込めません: %2</translation>
    </message>
    <message>
        <source>%1 of %2 stereograms written</source>
        <translation>ステレオグラム %2 枚のうち %1 枚を書き込みました</translation>
    </message>
    <message>
        <source>Usage: %1 make   [--colour red|green|blue|赤|緑|青] [--scale K] [--guides]
                        [-o PATTERN] [--quiet] DEPTH...
       %1 reveal [-o OUT] STEREOGRAM
       %1 levels [--invert] [-o OUT] PICTURE
       %1 --help | --version</source>
        <translation>使い方: %1 make   [--colour red|green|blue|赤|緑|青] [--scale K] [--guides]
                         [-o PATTERN] [--quiet] DEPTH...
        %1 reveal [-o OUT] STEREOGRAM
        %1 levels [--invert] [-o OUT] PICTURE
        %1 --help | --version</translation>
    </message>
    <message>
        <source>Makes the random-dot stereograms of ZOMIRA -VORNA- from the command line,
bit for bit as the desktop program makes and saves them.

Commands:
  make    a stereogram from each depth map, the maps being consecutive
          runs of one session
  reveal  the depth map a stereogram of this program hides
  levels  a grey depth map (white near) made into a map of level colours

&apos;%1 COMMAND --help&apos; describes a command&apos;s options.
Exit status: 0 done, 1 a file could not be read or written, 2 wrong usage.</source>
        <translation>ZOMIRA -VORNA- のランダムドット・ステレオグラムをコマンドラインで作ります。
デスクトップ版が作成・保存するものとビット単位で同じです。

コマンド:
  make    デプスマップごとにステレオグラムを作成（マップは一つのセッションの
          連続した作成として扱われます）
  reveal  このプログラムのステレオグラムに隠れたデプスマップを取り出す
  levels  グレーのデプスマップ（白が手前）を高さの色のマップに変換

コマンドのオプションは &apos;%1 コマンド --help&apos; で表示されます。
終了ステータス: 0 完了、1 ファイルの読み込みまたは書き込みに失敗、2 使い方の誤り。</translation>
    </message>
    <message>
        <source>Try &apos;%1 --help&apos; for more information.</source>
        <translation>詳しくは &apos;%1 --help&apos; を実行してください。</translation>
    </message>
    <message>
        <source>Shows this help.</source>
        <translation>このヘルプを表示します。</translation>
    </message>
    <message>
        <source>Usage: %1 %2 [options] %3</source>
        <translation>使い方: %1 %2 [オプション] %3</translation>
    </message>
    <message>
        <source>Makes a stereogram from each depth map, exactly as the desktop program does after loading the maps one after another in its editor (&quot;編集終了&quot;, then &quot;ランダムドット作成&quot; each time): the random sequence and the carried depth level go on from map to map.</source>
        <translation>デスクトップ版でマップを順にエディタに読み込み、そのたびに「編集終了」と「ランダムドット作成」を行ったのとまったく同じように、デプスマップごとにステレオグラムを作成します。乱数の並びと引き継がれる高さはマップからマップへと続きます。</translation>
    </message>
    <message>
        <source>The dots&apos; tint: red, green or blue (赤, 緑, 青).</source>
        <translation>ドットの色: red、green、blue（赤、緑、青）。</translation>
    </message>
    <message>
        <source>COLOUR</source>
        <translation>色</translation>
    </message>
    <message>
        <source>Each dot a K x K block, for print (1 to 16).</source>
        <translation>印刷用に各ドットを K × K の大きさにします（1 から 16）。</translation>
    </message>
    <message>
        <source>A white band above the picture with two black dots to converge on.</source>
        <translation>絵の上に、目の焦点を合わせるための黒い点を二つ置いた白い帯を付けます。</translation>
    </message>
    <message>
        <source>Where each stereogram goes: {name} is the depth map&apos;s file name without extension, {n} the run number from 1; .bmp or .png.</source>
        <translation>各ステレオグラムの保存先: {name} はデプスマップの拡張子を除いたファイル名、{n} は 1 から数えた作成の番号。.bmp または .png。</translation>
    </message>
    <message>
        <source>PATTERN</source>
        <translation>パターン</translation>
    </message>
    <message>
        <source>No progress line.</source>
        <translation>進行状況を表示しません。</translation>
    </message>
    <message>
        <source>Depth maps, made into stereograms in this order; a map given n times makes n runs.</source>
        <translation>デプスマップ。この順に作成します。n 回指定したマップは n 回作成します。</translation>
    </message>
    <message>
        <source>no depth map given</source>
        <translation>デプスマップが指定されていません</translation>
    </message>
    <message>
        <source>an empty file name was given</source>
        <translation>空のファイル名が指定されました</translation>
    </message>
    <message>
        <source>unknown colour &apos;%1&apos;: red, green, blue, 赤, 緑 or 青</source>
        <translation>不明な色 &apos;%1&apos;: red、green、blue、赤、緑、青 のいずれかを指定してください</translation>
    </message>
    <message>
        <source>--scale takes a whole number from 1 to 16, not &apos;%1&apos;</source>
        <translation>--scale には 1 から 16 の整数を指定してください（&apos;%1&apos; は不可）</translation>
    </message>
    <message>
        <source>give exactly one %1</source>
        <translation>%1 を一つだけ指定してください</translation>
    </message>
    <message>
        <source>Writes the depth map a stereogram of this program hides (any tint, unscaled, without guides), each pixel in the colour of its level, and says how many pixels were ambiguous.</source>
        <translation>このプログラムのステレオグラム（色は問わず、拡大なし、ガイドなし）に隠れたデプスマップを、各ピクセルをその高さの色で書き出し、あいまいだったピクセルの数を表示します。</translation>
    </message>
    <message>
        <source>The depth map&apos;s file, .bmp or .png (default: NAME-depth.bmp).</source>
        <translation>デプスマップのファイル。.bmp または .png（既定: 名前-depth.bmp）。</translation>
    </message>
    <message>
        <source>OUT</source>
        <translation>出力</translation>
    </message>
    <message>
        <source>The stereogram to read.</source>
        <translation>読み込むステレオグラム。</translation>
    </message>
    <message>
        <source>%1 is not a stereogram of this program: it is %2 x %3 pixels, not %4 x %5 (unscaled, without guides)</source>
        <translation>%1 はこのプログラムのステレオグラムではありません: 大きさが %2 × %3 ピクセルで、%4 × %5（拡大なし、ガイドなし）ではありません</translation>
    </message>
    <message>
        <source>%1 is not a stereogram of this program: its dots are not all of one tint (pixel %2, %3)</source>
        <translation>%1 はこのプログラムのステレオグラムではありません: ドットの色が一つにそろっていません（ピクセル %2, %3）</translation>
    </message>
    <message>
        <source>%1 does not follow the linking rule at pixel %2, %3: it is damaged, scaled or not a stereogram of this program</source>
        <translation>%1 はピクセル %2, %3 でドットのつながりの規則に合いません: 壊れているか、拡大されているか、このプログラムのステレオグラムではありません</translation>
    </message>
    <message>
        <source>%1: %2 of %3 pixels ambiguous (more than one level fits)</source>
        <translation>%1: %3 ピクセルのうち %2 ピクセルがあいまい（複数の高さが当てはまる）</translation>
    </message>
    <message>
        <source>Makes a grey depth map (white near, black far) into a depth map of the 16 level colours that the editor loads exactly: scaled to fit 389 x 333 keeping its aspect ratio, centred on black, each pixel&apos;s luminance L made level round(L x 15 / 255).</source>
        <translation>グレーのデプスマップ（白が手前、黒が奥）を、エディタがそのまま読み込める 16 色の高さのデプスマップにします: 縦横比を保って 389 × 333 に収まるよう縮尺し、黒の中央に置き、各ピクセルの輝度 L を高さ round(L × 15 / 255) にします。</translation>
    </message>
    <message>
        <source>Black near, white far.</source>
        <translation>黒を手前、白を奥とします。</translation>
    </message>
    <message>
        <source>The depth map&apos;s file, .bmp or .png (default: NAME-levels.bmp).</source>
        <translation>デプスマップのファイル。.bmp または .png（既定: 名前-levels.bmp）。</translation>
    </message>
    <message>
        <source>Any picture the desktop program reads.</source>
        <translation>デスクトップ版が読み込める任意の画像。</translation>
    </message>
    <message>
        <source>no command given: make, reveal or levels</source>
        <translation>コマンドが指定されていません: make、reveal、levels のいずれか</translation>
    </message>
    <message>
        <source>unknown command &apos;%1&apos;: make, reveal or levels</source>
        <translation>不明なコマンド &apos;%1&apos;: make、reveal、levels のいずれか</translation>
    </message>
</context>
</TS>
