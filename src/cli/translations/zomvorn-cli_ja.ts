<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja" sourcelanguage="en">
<context>
    <name>Cli</name>
    <message>
        <location filename="../batch.cpp" line="75"/>
        <source>%1: the file name must end in .bmp or .png</source>
        <translation>%1: ファイル名は .bmp か .png で終わる必要があります</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="78"/>
        <source>run %1 would write over the depth map %2</source>
        <translation>%1 回目の作成が奥行きマップ %2 を上書きしてしまいます</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="82"/>
        <source>runs %1 and %2 would both write %3</source>
        <translation>%1 回目と %2 回目の作成が同じファイル %3 に書き込んでしまいます</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="137"/>
        <source>no file name</source>
        <translation>ファイル名がありません</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="143"/>
        <source>no permission to read it</source>
        <translation>読み取る許可がありません</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="145"/>
        <source>no permission to write there</source>
        <translation>そこに書き込む許可がありません</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="147"/>
        <source>the disk is read-only</source>
        <translation>読み取り専用のディスクです</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="149"/>
        <source>it is a folder</source>
        <translation>フォルダーです</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="151"/>
        <source>not a regular file (a named pipe, socket or device)</source>
        <translation>通常のファイルではありません（名前付きパイプ、ソケット、デバイスなど）</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="153"/>
        <source>a symbolic link that belongs to another user; not followed</source>
        <translation>ほかのユーザーのシンボリックリンクです。リンク先には書き込みません</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="155"/>
        <source>the file is empty (0 bytes)</source>
        <translation>ファイルが空です（0 バイト）</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="157"/>
        <source>too large: the file is %1 MB; files up to %2 MB are read</source>
        <translation>画像が大きすぎます（ファイルの大きさ %1 MB）。読み込めるのは %2 MB までのファイルです</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="160"/>
        <source>too large: %1 x %2 pixels; pictures up to %3 x %3 pixels are read</source>
        <translation>画像が大きすぎます（%1 × %2 ピクセル）。読み込めるのは %3 × %3 ピクセルまでです</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="165"/>
        <source>too large: %1 x %2 pixels take %3 MB decoded; up to %4 MB are read</source>
        <translation>画像が大きすぎます（%1 × %2 ピクセル、展開すると %3 MB）。読み込めるのは %4 MB までです</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="170"/>
        <source>the file is cut short</source>
        <translation>ファイルが途中で切れています</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="172"/>
        <source>the picture is damaged</source>
        <translation>画像ファイルが壊れています</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="174"/>
        <source>a kind of picture that is not supported</source>
        <translation>対応していない形式の画像です</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="176"/>
        <source>not a picture, or a format that is not read (BMP, PNG, GIF and JPEG are)</source>
        <translation>画像ファイルではないか、対応していない形式です（読み込めるのは BMP、PNG、GIF、JPEG）</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="178"/>
        <location filename="../batch.cpp" line="219"/>
        <location filename="../batch.cpp" line="228"/>
        <location filename="../batch.cpp" line="234"/>
        <location filename="../cli.cpp" line="279"/>
        <location filename="../cli.cpp" line="320"/>
        <location filename="../cli.cpp" line="409"/>
        <source>out of memory</source>
        <translation>メモリが不足しています。</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="180"/>
        <source>device I/O error</source>
        <translation>デバイス I/O エラーです</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="184"/>
        <source>the disk is full</source>
        <translation>ディスクの空き容量が不足しています</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="185"/>
        <source>the disk is full: %1 MB are needed</source>
        <translation>ディスクの空き容量が不足しています（%1 MB 必要です）</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="190"/>
        <source>a frame has %1 colours; a GIF frame holds at most %2 (WebP holds any)</source>
        <translation>コマの色が %1 色あります。GIF のコマは %2 色までです（WebP なら何色でも保存できます）</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="194"/>
        <source>the file would be larger than its format allows (%1 MB)</source>
        <translation>この形式で保存できる大きさ（%1 MB）を超えます</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="427"/>
        <source>runs %1</source>
        <translation>%1 回目</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="429"/>
        <source>not written: runs %1</source>
        <translation>書き込まれなかったもの: %1 回目</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="458"/>
        <source>%1/%2 frames, %3 per second</source>
        <translation>%1/%2 コマ、毎秒 %3 コマ</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="476"/>
        <source>nothing written: %1</source>
        <translation>何も書き込んでいません: %1</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="139"/>
        <source>file not found</source>
        <translation>ファイルが見つかりません。</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="141"/>
        <source>path not found</source>
        <translation>パスが見つかりません。</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="241"/>
        <source>%1/%2 stereograms, %3 per second</source>
        <translation>%1/%2 枚作成、毎秒 %3 枚</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="312"/>
        <source>reading %1/%2</source>
        <translation>読み込み中 %1/%2</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="317"/>
        <location filename="../batch.cpp" line="382"/>
        <location filename="../batch.cpp" line="445"/>
        <location filename="../batch.cpp" line="470"/>
        <location filename="../cli.cpp" line="276"/>
        <location filename="../cli.cpp" line="278"/>
        <location filename="../cli.cpp" line="408"/>
        <source>cannot read %1: %2</source>
        <translation>%1 を読み込めません: %2</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="328"/>
        <location filename="../batch.cpp" line="448"/>
        <source>nothing written: %1 of %2 depth maps could not be read</source>
        <translation>何も書き込んでいません: 奥行きマップ %2 個のうち %1 個を読み込めませんでした</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="422"/>
        <location filename="../batch.cpp" line="472"/>
        <location filename="../cli.cpp" line="317"/>
        <location filename="../cli.cpp" line="319"/>
        <source>cannot write %1: %2</source>
        <translation>%1 に書き込めません: %2</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="425"/>
        <source>%1 of %2 stereograms written</source>
        <translation>ステレオグラム %2 枚のうち %1 枚を書き込みました</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="50"/>
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
  make    奥行きマップごとにステレオグラムを作成（マップは一つのセッションの
          連続した作成として扱われます）
  reveal  このプログラムのステレオグラムに隠れた奥行きマップを取り出す
  levels  グレーの奥行きマップ（白が手前）を高さの色のマップに変換

コマンドのオプションは &apos;%1 コマンド --help&apos; で表示されます。
終了ステータス: 0 完了、1 ファイルの読み込みまたは書き込みに失敗、2 使い方の誤り。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="65"/>
        <source>Try &apos;%1 --help&apos; for more information.</source>
        <translation>詳しくは &apos;%1 --help&apos; を実行してください。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="84"/>
        <source>Shows this help.</source>
        <translation>このヘルプを表示します。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="102"/>
        <source>Usage: %1 %2 [options] %3</source>
        <translation>使い方: %1 %2 [オプション] %3</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="127"/>
        <source>Makes a stereogram from each depth map, exactly as the desktop program does after loading the maps one after another in its editor (&quot;編集終了&quot;, then &quot;ランダムドット作成&quot; each time): the random sequence and the carried depth level go on from map to map.</source>
        <translation>デスクトップ版でマップを順にエディタに読み込み、そのたびに「編集終了」と「ランダムドット作成」を行ったのとまったく同じように、奥行きマップごとにステレオグラムを作成します。乱数の並びと引き継がれる高さはマップからマップへと続きます。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="132"/>
        <source>The dots&apos; tint: red, green or blue (赤, 緑, 青).</source>
        <translation>ドットの色: red、green、blue（赤、緑、青）。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="133"/>
        <source>COLOUR</source>
        <translation>色</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="135"/>
        <source>Each dot a K x K block, for print (1 to 16).</source>
        <translation>印刷用に各ドットを K × K の大きさにします（1 から 16）。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="138"/>
        <source>A white band above the picture with two black dots to converge on.</source>
        <translation>絵の上に、目の焦点を合わせるための黒い点を二つ置いた白い帯を付けます。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="141"/>
        <source>Where each stereogram goes: {name} is the depth map&apos;s file name without extension, {n} the run number from 1; .bmp or .png.</source>
        <translation>各ステレオグラムの保存先: {name} は奥行きマップの拡張子を除いたファイル名、{n} は 1 から数えた作成の番号。.bmp または .png。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="144"/>
        <source>PATTERN</source>
        <translation>パターン</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="146"/>
        <source>No progress line.</source>
        <translation>進行状況を表示しません。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="148"/>
        <source>Writes the stereograms as the frames of one animated file instead, in order: .gif or .webp (lossless).</source>
        <translation>ステレオグラムを順に 1 つのアニメーションファイルのコマとして書き込みます: .gif または .webp（可逆圧縮）。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="153"/>
        <source>Each frame&apos;s time in milliseconds, %1 to %2 (GIF keeps hundredths of a second).</source>
        <translation>1 コマの時間（ミリ秒、%1 から %2）。GIF では 100 分の 1 秒単位になります。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="159"/>
        <source>How many times the animation plays: 0 for ever, or up to %1.</source>
        <translation>アニメーションの繰り返し回数: 0 で無限、最大 %1。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="164"/>
        <source>N frames from the one depth map given (1 to %1).</source>
        <translation>指定した 1 つの奥行きマップから N コマを作ります（1 から %1）。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="168"/>
        <source>With --frames: frame k is made from the map moved by k x (DX, DY) pixels, wrapping around.</source>
        <translation>--frames と共に: コマ k は、マップを k x (DX, DY) ピクセル動かして（端は反対側に回り込みます）作ります。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="174"/>
        <source>Depth maps, made into stereograms in this order; a map given n times makes n runs.</source>
        <translation>奥行きマップ。この順に作成します。n 回指定したマップは n 回作成します。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="184"/>
        <source>no depth map given</source>
        <translation>奥行きマップが指定されていません</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="186"/>
        <source>an empty file name was given</source>
        <translation>空のファイル名が指定されました</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="189"/>
        <source>unknown colour &apos;%1&apos;: red, green, blue, 赤, 緑 or 青</source>
        <translation>不明な色 &apos;%1&apos;: red、green、blue、赤、緑、青 のいずれかを指定してください</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="195"/>
        <source>--scale takes a whole number from 1 to 16, not &apos;%1&apos;</source>
        <translation>--scale には 1 から 16 の整数を指定してください（&apos;%1&apos; は不可）</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="202"/>
        <source>--%1 needs --animate</source>
        <translation>--%1 には --animate が必要です</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="206"/>
        <source>--animate writes one file: give no --output</source>
        <translation>--animate は 1 つのファイルを書き込みます: --output は指定しないでください</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="213"/>
        <source>%1: an animation&apos;s name must end in .gif or .webp</source>
        <translation>%1: アニメーションのファイル名は .gif か .webp で終わる必要があります</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="217"/>
        <source>%1 would be written over the depth map it reads</source>
        <translation>%1 は読み込む奥行きマップに上書きすることになります</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="225"/>
        <source>--delay takes a whole number of milliseconds from %1 to %2, not &apos;%3&apos;</source>
        <translation>--delay には %1 から %2 までの整数（ミリ秒）を指定してください（&apos;%3&apos; ではなく）</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="231"/>
        <source>--loop takes a whole number from 0 to %1, not &apos;%2&apos;</source>
        <translation>--loop には 0 から %1 までの整数を指定してください（&apos;%2&apos; ではなく）</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="236"/>
        <source>--frames makes frames from one depth map, not %1</source>
        <translation>--frames は 1 つの奥行きマップからコマを作ります（%1 個ではなく）</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="239"/>
        <source>--frames takes a whole number from 1 to %1, not &apos;%2&apos;</source>
        <translation>--frames には 1 から %1 までの整数を指定してください（&apos;%2&apos; ではなく）</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="245"/>
        <source>--move needs --frames</source>
        <translation>--move には --frames が必要です</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="253"/>
        <source>--move takes two whole numbers DX,DY from -%1 to %1, not &apos;%2&apos;</source>
        <translation>--move には -%1 から %1 までの 2 つの整数 DX,DY を指定してください（&apos;%2&apos; ではなく）</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="296"/>
        <source>give exactly one %1</source>
        <translation>%1 を一つだけ指定してください</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="301"/>
        <source>%1 would be written over the %2 it reads</source>
        <translation>%1 は読み込む %2 そのものです。上書きしません</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="328"/>
        <source>Writes the depth map a stereogram of this program hides (any tint, unscaled, without guides), each pixel in the colour of its level, and says how many pixels were ambiguous.</source>
        <translation>このプログラムのステレオグラム（色は問わず、拡大なし、ガイドなし）に隠れた奥行きマップを、各ピクセルをその高さの色で書き出し、あいまいだったピクセルの数を表示します。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="332"/>
        <source>The depth map&apos;s file, .bmp or .png (default: NAME-depth.bmp).</source>
        <translation>奥行きマップのファイル。.bmp または .png（既定: 名前-depth.bmp）。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="151"/>
        <location filename="../cli.cpp" line="334"/>
        <location filename="../cli.cpp" line="394"/>
        <source>OUT</source>
        <translation>出力</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="37"/>
        <source>Usage: %1 make   [--colour red|green|blue|赤|緑|青] [--scale K] [--guides]
                        [-o PATTERN] [--quiet] DEPTH...
       %1 make   --animate OUT [--delay MS] [--loop N]
                        [--frames N [--move DX,DY]] [options] DEPTH...
       %1 reveal [-o OUT] STEREOGRAM
       %1 levels [--invert] [-o OUT] PICTURE
       %1 --help | --version</source>
        <translation>使い方: %1 make   [--colour red|green|blue|赤|緑|青] [--scale K] [--guides]
                         [-o PATTERN] [--quiet] DEPTH...
        %1 make   --animate OUT [--delay MS] [--loop N]
                         [--frames N [--move DX,DY]] [options] DEPTH...
        %1 reveal [-o OUT] STEREOGRAM
        %1 levels [--invert] [-o OUT] PICTURE
        %1 --help | --version</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="336"/>
        <source>The stereogram to read.</source>
        <translation>読み込むステレオグラム。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="350"/>
        <source>%1 is not a stereogram of this program: it is %2 x %3 pixels, not %4 x %5 (unscaled, without guides)</source>
        <translation>%1 はこのプログラムのステレオグラムではありません: 大きさが %2 × %3 ピクセルで、%4 × %5（拡大なし、ガイドなし）ではありません</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="358"/>
        <source>%1 is not a stereogram of this program: its dots are not all of one tint (pixel %2, %3)</source>
        <translation>%1 はこのプログラムのステレオグラムではありません: ドットの色が一つにそろっていません（ピクセル %2, %3）</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="364"/>
        <source>%1 does not follow the linking rule at pixel %2, %3: it is damaged, scaled or not a stereogram of this program</source>
        <translation>%1 はピクセル %2, %3 でドットのつながりの規則に合いません: 壊れているか、拡大されているか、このプログラムのステレオグラムではありません</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="373"/>
        <source>%1: %2 of %3 pixels ambiguous (more than one level fits)</source>
        <translation>%1: %3 ピクセルのうち %2 ピクセルがあいまい（複数の高さが当てはまる）</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="385"/>
        <source>Makes a grey depth map (white near, black far) into a depth map of the 16 level colours that the editor loads exactly: scaled to fit 389 x 333 keeping its aspect ratio, centred on black, each pixel&apos;s luminance L made level round(L x 15 / 255).</source>
        <translation>グレーの奥行きマップ（白が手前、黒が奥）を、エディタがそのまま読み込める 16 色の高さの奥行きマップにします: 縦横比を保って 389 × 333 に収まるよう縮尺し、黒の中央に置き、各ピクセルの輝度 L を高さ round(L × 15 / 255) にします。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="390"/>
        <source>Black near, white far.</source>
        <translation>黒を手前、白を奥とします。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="392"/>
        <source>The depth map&apos;s file, .bmp or .png (default: NAME-levels.bmp).</source>
        <translation>奥行きマップのファイル。.bmp または .png（既定: 名前-levels.bmp）。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="397"/>
        <source>Any picture the desktop program reads.</source>
        <translation>デスクトップ版が読み込める任意の画像。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="436"/>
        <source>no command given: make, reveal or levels</source>
        <translation>コマンドが指定されていません: make、reveal、levels のいずれか</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="437"/>
        <source>unknown command &apos;%1&apos;: make, reveal or levels</source>
        <translation>不明なコマンド &apos;%1&apos;: make、reveal、levels のいずれか</translation>
    </message>
</context>
</TS>
