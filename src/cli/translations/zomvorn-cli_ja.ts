<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja" sourcelanguage="en">
<context>
    <name>Cli</name>
    <message>
        <source>a depth map of level colours</source>
        <translation>高さの色で描かれた奥行きマップ</translation>
    </message>
    <message>
        <source>a grey depth map</source>
        <translation>グレーの奥行きマップ</translation>
    </message>
    <message>
        <source>a 16-bit depth map</source>
        <translation>16 ビットの奥行きマップ</translation>
    </message>
    <message>
        <source>a depth map in the %1 colour scale, read along it (warm end near)</source>
        <translation>%1 の色の尺度で描かれた奥行きマップ。尺度に沿って読みます（暖色の側が手前）</translation>
    </message>
    <message>
        <source>a colour picture on no known colour scale, read by brightness</source>
        <translation>知られた色の尺度にないカラーの画像。明るさで読みます</translation>
    </message>
    <message>
        <source>%1: %2, converted as `levels --near auto --far auto`</source>
        <translation>%1: %2。`levels --near auto --far auto` として変換しました</translation>
    </message>
    <message>
        <source>Uses every map with its literal colours, even a grey or colour depth picture.</source>
        <translation>どのマップも色をそのまま使います。グレーやカラーの奥行きの画像でも変換しません。</translation>
    </message>
    <message>
        <source>--near and --far are both %1: they must differ, or every grey would be one level</source>
        <translation>--near と --far がどちらも %1 です。同じ値では、どの灰色も同じ高さになります。違う値にしてください</translation>
    </message>
    <message>
        <source>--near %1 is darker than --far %2: darker greys come out nearer, the map inverted as with --invert</source>
        <translation>--near %1 が --far %2 より暗いため、暗い灰色ほど手前になります（--invert と同じく反転します）</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="77"/>
        <source>%1: the file name must end in .bmp or .png</source>
        <translation>%1: ファイル名は .bmp か .png で終わる必要があります</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="80"/>
        <source>run %1 would write over the depth map %2</source>
        <translation>%1 回目の作成が奥行きマップ %2 を上書きしてしまいます</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="84"/>
        <source>runs %1 and %2 would both write %3</source>
        <translation>%1 回目と %2 回目の作成が同じファイル %3 に書き込んでしまいます</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="96"/>
        <source>standard input or output (-)</source>
        <translation>標準入力または標準出力（-）</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="465"/>
        <source>runs %1</source>
        <translation>%1 回目</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="467"/>
        <source>not written: runs %1</source>
        <translation>書き込まれなかったもの: %1 回目</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="496"/>
        <source>%1/%2 frames, %3 per second</source>
        <translation>%1/%2 コマ、毎秒 %3 コマ</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="514"/>
        <source>nothing written: %1</source>
        <translation>何も書き込んでいません: %1</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="263"/>
        <source>%1/%2 stereograms, %3 per second</source>
        <translation>%1/%2 枚作成、毎秒 %3 枚</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="332"/>
        <source>reading %1/%2</source>
        <translation>読み込み中 %1/%2</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="337"/>
        <location filename="../batch.cpp" line="414"/>
        <location filename="../batch.cpp" line="483"/>
        <location filename="../batch.cpp" line="508"/>
        <location filename="../cli.cpp" line="379"/>
        <location filename="../cli.cpp" line="381"/>
        <location filename="../cli.cpp" line="543"/>
        <location filename="../cli.cpp" line="683"/>
        <source>cannot read %1: %2</source>
        <translation>%1 を読み込めません: %2</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="361"/>
        <location filename="../batch.cpp" line="486"/>
        <source>nothing written: %1 of %2 depth maps could not be read</source>
        <translation>何も書き込んでいません: 奥行きマップ %2 個のうち %1 個を読み込めませんでした</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="460"/>
        <location filename="../batch.cpp" line="510"/>
        <location filename="../cli.cpp" line="434"/>
        <location filename="../cli.cpp" line="440"/>
        <location filename="../cli.cpp" line="442"/>
        <source>cannot write %1: %2</source>
        <translation>%1 に書き込めません: %2</translation>
    </message>
    <message>
        <location filename="../batch.cpp" line="463"/>
        <source>%1 of %2 stereograms written</source>
        <translation>ステレオグラム %2 枚のうち %1 枚を書き込みました</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="62"/>
        <source>Makes the random-dot stereograms of ZOMIRA -VORNA- from the command line,
bit for bit as the desktop program makes and saves them.

Commands:
  make    a stereogram from each depth map, the maps being consecutive
          runs of one session
  reveal  the depth map a stereogram of this program hides
  levels  a grey depth map (white near) made into a map of level colours
  anaglyph  the red/cyan picture of a stereogram, for anaglyph glasses
  render  a stereogram of any size with smooth depth (a second generator)
  check   what the eyes decode from a render picture

&apos;%1 COMMAND --help&apos; describes a command&apos;s options.
Exit status: 0 done, 1 a file could not be read or written, 2 wrong usage.</source>
        <translation>ZOMIRA -VORNA- のランダムドット・ステレオグラムをコマンドラインで作ります。
デスクトップ版が作成・保存するものとビット単位で同じです。

コマンド:
  make    奥行きマップごとにステレオグラムを作成（マップは一つのセッションの
          連続した作成として扱われます）
  reveal  このプログラムのステレオグラムに隠れた奥行きマップを取り出す
  levels  グレーの奥行きマップ（白が手前）を高さの色のマップに変換
  anaglyph  ステレオグラムを赤青メガネ用の赤・シアンの絵にする
  render  任意の大きさで奥行きのなめらかなステレオグラム（第二の生成器）
  check   render の絵から目が読み取る奥行きを調べる

コマンドのオプションは &apos;%1 コマンド --help&apos; で表示されます。
終了ステータス: 0 完了、1 ファイルの読み込みまたは書き込みに失敗、2 使い方の誤り。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="78"/>
        <source>Try &apos;%1 --help&apos; for more information.</source>
        <translation>詳しくは &apos;%1 --help&apos; を実行してください。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="141"/>
        <source>Shows this help.</source>
        <translation>このヘルプを表示します。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="144"/>
        <source>With -o -: the picture on standard output is a PNG, not a BMP.</source>
        <translation>-o - と共に: 標準出力に書く画像を BMP ではなく PNG にします。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="162"/>
        <source>Default: %1.</source>
        <translation>省略時: %1。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="177"/>
        <source>Usage: %1 %2 [options] %3</source>
        <translation>使い方: %1 %2 [オプション] %3</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="202"/>
        <source>Makes a stereogram from each depth map, exactly as the desktop program does after loading the maps one after another in its editor (&quot;編集終了&quot;, then &quot;ランダムドット作成&quot; each time): the random sequence and the carried depth level go on from map to map.</source>
        <translation>デスクトップ版でマップを順にエディタに読み込み、そのたびに「編集終了」と「ランダムドット作成」を行ったのとまったく同じように、奥行きマップごとにステレオグラムを作成します。乱数の並びと引き継がれる高さはマップからマップへと続きます。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="207"/>
        <source>Each stereogram is 453 x 333 pixels; --scale K makes it K times that each way, and --guides adds a band 20 x K pixels high above it. The maps are depth maps in the 16 level colours; a depth picture that is not (grey, 16-bit or in colour) is converted as &apos;%1 levels --near auto --far auto&apos; converts it, with one line on standard error, unless --as-is is given.</source>
        <translation>ステレオグラムは 453 × 333 ピクセルです。--scale K で縦横 K 倍になり、--guides で上に高さ 20 × K ピクセルの帯が付きます。マップは 16 の高さの色で描いた奥行きマップです。そうでない奥行きの画像（グレー、16 ビット、カラー）は「%1 levels --near auto --far auto」と同じに変換し、標準エラー出力に 1 行で知らせます（--as-is を付けたときは変換しません）。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="213"/>
        <source>The dots&apos; tint: red, green or blue (赤, 緑, 青).</source>
        <translation>ドットの色: red、green、blue（赤、緑、青）。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="214"/>
        <source>COLOUR</source>
        <translation>色</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="216"/>
        <source>Each dot a K x K block, for print (1 to 16).</source>
        <translation>印刷用に各ドットを K × K の大きさにします（1 から 16）。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="219"/>
        <source>A white band above the picture with two black dots to converge on.</source>
        <translation>絵の上に、目の焦点を合わせるための黒い点を二つ置いた白い帯を付けます。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="222"/>
        <source>Where each stereogram goes: {name} is the depth map&apos;s file name without extension, {n} the run number from 1; .bmp or .png.</source>
        <translation>各ステレオグラムの保存先: {name} は奥行きマップの拡張子を除いたファイル名、{n} は 1 から数えた作成の番号。.bmp または .png。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="225"/>
        <source>PATTERN</source>
        <translation>パターン</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="227"/>
        <source>No progress line.</source>
        <translation>進行状況を表示しません。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="232"/>
        <source>Writes the stereograms as the frames of one animated file instead, in order: .gif or .webp (lossless).</source>
        <translation>ステレオグラムを順に 1 つのアニメーションファイルのコマとして書き込みます: .gif または .webp（可逆圧縮）。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="237"/>
        <source>Each frame&apos;s time in milliseconds, %1 to %2 (GIF keeps hundredths of a second).</source>
        <translation>1 コマの時間（ミリ秒、%1 から %2）。GIF では 100 分の 1 秒単位になります。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="243"/>
        <source>How many times the animation plays: 0 for ever, or up to %1.</source>
        <translation>アニメーションの繰り返し回数: 0 で無限、最大 %1。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="248"/>
        <source>N frames from the one depth map given (1 to %1).</source>
        <translation>指定した 1 つの奥行きマップから N コマを作ります（1 から %1）。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="252"/>
        <source>With --frames: frame k is made from the map moved by k x (DX, DY) pixels, wrapping around.</source>
        <translation>--frames と共に: コマ k は、マップを k x (DX, DY) ピクセル動かして（端は反対側に回り込みます）作ります。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="258"/>
        <source>Depth maps, made into stereograms in this order; a map given n times makes n runs.</source>
        <translation>奥行きマップ。この順に作成します。n 回指定したマップは n 回作成します。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="279"/>
        <source>no depth map given</source>
        <translation>奥行きマップが指定されていません</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="281"/>
        <source>an empty file name was given</source>
        <translation>空のファイル名が指定されました</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="269"/>
        <source>unknown colour &apos;%1&apos;: red, green, blue, 赤, 緑 or 青</source>
        <translation>不明な色 &apos;%1&apos;: red、green、blue、赤、緑、青 のいずれかを指定してください</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="275"/>
        <source>--scale takes a whole number from 1 to 16, not &apos;%1&apos;</source>
        <translation>--scale には 1 から 16 の整数を指定してください（&apos;%1&apos; は不可）</translation>
    </message>
    <message>
        <source>The printer&apos;s resolution, written into each file (%1 to %2); without it the files say 96 dpi.</source>
        <translation>プリンターの解像度で、各ファイルに書き込みます（%1 から %2）。指定しないときは 96 dpi と書きます。</translation>
    </message>
    <message>
        <source>--dpi takes a whole number from %1 to %2, not &apos;%3&apos;</source>
        <translation>--dpi には %1 から %2 の整数を指定してください（&apos;%3&apos; は不可）</translation>
    </message>
    <message>
        <source>--dpi is for separate files: an animation keeps no resolution</source>
        <translation>--dpi は別々のファイルに書くときだけ使えます（アニメーションは解像度を持ちません）</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="284"/>
        <source>standard input (-) can be the only depth map</source>
        <translation>標準入力（-）は、ただ一つの奥行きマップとしてだけ使えます</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="294"/>
        <source>--%1 needs --animate</source>
        <translation>--%1 には --animate が必要です</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="298"/>
        <source>--animate writes one file: give no --output</source>
        <translation>--animate は 1 つのファイルを書き込みます: --output は指定しないでください</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="305"/>
        <source>%1: an animation&apos;s name must end in .gif or .webp</source>
        <translation>%1: アニメーションのファイル名は .gif か .webp で終わる必要があります</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="309"/>
        <source>%1 would be written over the depth map it reads</source>
        <translation>%1 は読み込む奥行きマップに上書きすることになります</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="317"/>
        <source>--delay takes a whole number of milliseconds from %1 to %2, not &apos;%3&apos;</source>
        <translation>--delay には %1 から %2 までの整数（ミリ秒）を指定してください（&apos;%3&apos; ではなく）</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="323"/>
        <source>--loop takes a whole number from 0 to %1, not &apos;%2&apos;</source>
        <translation>--loop には 0 から %1 までの整数を指定してください（&apos;%2&apos; ではなく）</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="328"/>
        <source>--frames makes frames from one depth map, not %1</source>
        <translation>--frames は 1 つの奥行きマップからコマを作ります（%1 個ではなく）</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="331"/>
        <source>--frames takes a whole number from 1 to %1, not &apos;%2&apos;</source>
        <translation>--frames には 1 から %1 までの整数を指定してください（&apos;%2&apos; ではなく）</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="337"/>
        <source>--move needs --frames</source>
        <translation>--move には --frames が必要です</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="345"/>
        <source>--move takes two whole numbers DX,DY from -%1 to %1, not &apos;%2&apos;</source>
        <translation>--move には -%1 から %1 までの 2 つの整数 DX,DY を指定してください（&apos;%2&apos; ではなく）</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="358"/>
        <source>-o - writes one picture: give one depth map</source>
        <translation>-o - に書けるのは 1 枚の画像です: 奥行きマップを一つだけ指定してください</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="360"/>
        <location filename="../cli.cpp" line="411"/>
        <source>no picture is written to a terminal: redirect standard output</source>
        <translation>端末には画像を書き込みません: 標準出力をファイルかパイプに向けてください</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="400"/>
        <source>give exactly one %1</source>
        <translation>%1 を一つだけ指定してください</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="409"/>
        <source>there is no standard input here</source>
        <translation>ここには標準入力がありません</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="414"/>
        <source>%1 would be written over the %2 it reads</source>
        <translation>%1 は読み込む %2 そのものです。上書きしません</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="468"/>
        <source>The depth map&apos;s file, .bmp or .png (default: NAME-depth.bmp).</source>
        <translation>奥行きマップのファイル。.bmp または .png（既定: 名前-depth.bmp）。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="235"/>
        <location filename="../cli.cpp" line="470"/>
        <location filename="../cli.cpp" line="523"/>
        <location filename="../cli.cpp" line="616"/>
        <source>OUT</source>
        <translation>出力</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="464"/>
        <source>Writes the depth map a stereogram of this program hides (any tint, as made or as make --scale K --guides writes it), each pixel in the colour of its level, and says how many pixels were ambiguous.</source>
        <translation>このプログラムのステレオグラム（どの色でも、作成したままでも make --scale K --guides の出力でもかまいません）に隠れた奥行きマップを、各ピクセルをその高さの色にして書き込み、あいまいなピクセルの数を表示します。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="472"/>
        <location filename="../cli.cpp" line="525"/>
        <source>The stereogram to read.</source>
        <translation>読み込むステレオグラム。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="488"/>
        <source>%1 is not a stereogram of this program: its dots are not all of one tint (pixel %2, %3)</source>
        <translation>%1 はこのプログラムのステレオグラムではありません: ドットの色が一つにそろっていません（ピクセル %2, %3）</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="504"/>
        <source>%1: %2 of %3 pixels ambiguous (more than one level fits)</source>
        <translation>%1: %3 ピクセルのうち %2 ピクセルがあいまい（複数の高さが当てはまる）</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="521"/>
        <source>The picture&apos;s file, .bmp or .png (default: NAME-anaglyph.png).</source>
        <translation>画像のファイル。.bmp または .png（省略時: 名前-anaglyph.png）。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="576"/>
        <source>Makes a grey depth map (white near, black far) into a depth map of the 16 level colours that the editor loads exactly: scaled to fit 389 x 333 keeping its aspect ratio, centred on black, each pixel&apos;s luminance L made level round(L x 15 / 255). The options are those of the desktop program&apos;s &quot;画像から奥行きマップ&quot; and give the same pixels. Grey values V are on the picture&apos;s own scale: 0 to 255, or 0 to 65535 for a 16-bit picture.</source>
        <translation>グレーの奥行きマップ（白が手前、黒が奥）を、エディタがそのまま読み込める 16 色の高さの奥行きマップにします: 縦横比を保って 389 × 333 に収まるよう縮尺し、黒の中央に置き、各ピクセルの輝度 L を高さ round(L × 15 / 255) にします。オプションはデスクトッププログラムの「画像から奥行きマップ」の設定と同じで、同じピクセルになります。灰色の値 V は画像自身の段階で、0〜255、16 ビットの画像では 0〜65535 です。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="584"/>
        <source>Black near, white far.</source>
        <translation>黒を手前、白を奥とします。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="586"/>
        <source>The grey that becomes level 15 (nearest); greys beyond it clip. &apos;auto&apos;: the picture&apos;s 99th percentile (1st when inverted). Default: white (black when inverted).</source>
        <translation>高さ 15（いちばん手前）になる灰色の値。その先の値は 15 になります。「auto」: 画像の 99 パーセンタイル（反転時は 1 パーセンタイル）。既定: 白（反転時は黒）。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="592"/>
        <source>The grey that becomes level 0 (farthest); &apos;auto&apos;: the picture&apos;s 1st percentile (99th when inverted). Default: black (white when inverted).</source>
        <translation>高さ 0（いちばん奥）になる灰色の値。「auto」: 画像の 1 パーセンタイル（反転時は 99 パーセンタイル）。既定: 黒（反転時は白）。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="597"/>
        <source>The grey that means no measurement (depth cameras write 0): such pixels become level 0, inverted or not, and stay out of their neighbours.</source>
        <translation>「データなし」を表す灰色の値（深度カメラは 0 を書きます）。そのピクセルは反転にかかわらず高さ 0 になり、周りの値に混ざりません。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="602"/>
        <source>Levels spaced by this power, 0.1 to 10 (default 1).</source>
        <translation>高さの間隔をこのべき乗で変えます。0.1〜10（既定 1）。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="605"/>
        <source>fit: inside the canvas (default); fill: covering it, cropped; stretch: to its size; none: 1:1 at the top left.</source>
        <translation>fit: キャンバスに収める（既定）、fill: キャンバスを埋めてはみ出しを切り取る、stretch: キャンバスの大きさに引き伸ばす、none: 等倍で左上に置く。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="610"/>
        <source>A median filter of radius R (0 to 3) before quantising, against speckle.</source>
        <translation>量子化の前に半径 R（0〜3）のメディアンフィルタをかけ、ノイズを抑えます。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="614"/>
        <source>The depth map&apos;s file, .bmp or .png (default: NAME-levels.bmp).</source>
        <translation>奥行きマップのファイル。.bmp または .png（既定: 名前-levels.bmp）。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="619"/>
        <source>Any picture the desktop program reads.</source>
        <translation>デスクトップ版が読み込める任意の画像。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="713"/>
        <source>no command given: make, reveal, levels or anaglyph</source>
        <translation>コマンドが指定されていません: make、reveal、levels、anaglyph のいずれか</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="714"/>
        <source>unknown command &apos;%1&apos;: make, reveal, levels, anaglyph, render or check</source>
        <translation>不明なコマンド &apos;%1&apos;: make、reveal、levels、anaglyph、render、check のいずれか</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="46"/>
        <source>Usage: %1 make   [--colour red|green|blue|赤|緑|青] [--scale K] [--guides]
                        [--as-is] [-o PATTERN | -o - [--png]] [--quiet] DEPTH...
       %1 make   --cross ...            (for cross-eyed viewing)
       %1 make   --animate OUT [--delay MS] [--loop N]
                        [--frames N [--move DX,DY]] [options] DEPTH...
       %1 reveal [-o OUT] STEREOGRAM
       %1 levels [--invert] [--near V|auto] [--far V|auto] [--no-data V]
                        [--gamma G] [--fit fit|fill|stretch|none] [--smooth R]
                        [-o OUT] PICTURE
       %1 anaglyph [-o OUT] STEREOGRAM
       %1 render [options] DEPTH... -o OUT  (any size, smooth depth)
       %1 check  [options] PICTURE [DEPTH]
       %1 --help | --version</source>
        <translation>使い方: %1 make   [--colour red|green|blue|赤|緑|青] [--scale K] [--guides]
                          [--as-is] [-o PATTERN | -o - [--png]] [--quiet] DEPTH...
        %1 make   --cross ...            （交差法用）
        %1 make   --animate OUT [--delay MS] [--loop N]
                          [--frames N [--move DX,DY]] [options] DEPTH...
        %1 reveal [-o OUT] STEREOGRAM
        %1 levels [--invert] [--near V|auto] [--far V|auto] [--no-data V]
                          [--gamma G] [--fit fit|fill|stretch|none] [--smooth R]
                          [-o OUT] PICTURE
        %1 anaglyph [-o OUT] STEREOGRAM
        %1 render [options] DEPTH... -o OUT  （任意の大きさ）
        %1 check  [options] PICTURE [DEPTH]
        %1 --help | --version</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="229"/>
        <source>For cross-eyed viewing: every level L is made 15 - L, so the shape is not seen inside out.</source>
        <translation>交差法用: 各高さ L を 15 - L にして、形が裏返しに見えないようにします。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="451"/>
        <source>%1 is not a stereogram of this program: it is %2 x %3 pixels, neither %4 x %5 nor a whole enlargement of that (with or without guides)</source>
        <translation>%1 はこのプログラムのステレオグラムではありません: %2 × %3 ピクセルで、%4 × %5 でもその整数倍の拡大（目印の有無を問わず）でもありません</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="494"/>
        <source>%1 does not follow the linking rule at pixel %2, %3: it is damaged or not a stereogram of this program</source>
        <translation>%1 はピクセル %2, %3 で繰り返しの規則に合いません: 壊れているか、このプログラムのステレオグラムではありません</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="516"/>
        <source>Writes the red/cyan picture of a stereogram for anaglyph glasses, the same pixels as the desktop program&apos;s アナグリフ view: red from each dot, green and blue from the dot 60 to its right. A picture that make --scale K --guides wrote is read at its own scale.</source>
        <translation>ステレオグラムの赤青メガネ用（アナグリフ）の画像を書き込みます。デスクトップ版の「アナグリフ」の表示と同じピクセルで、赤は各点から、緑と青はその 60 右の点から取ります。make --scale K --guides が書いた画像は、その倍率のまま読みます。</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="632"/>
        <source>--%1 takes a grey value from 0 to 65535 or &apos;auto&apos;, not &apos;%2&apos;</source>
        <translation>--%1 には 0〜65535 の灰色の値か「auto」を指定してください（「%2」は使えません）</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="640"/>
        <source>--no-data takes a grey value from 0 to 65535, not &apos;%1&apos;</source>
        <translation>--no-data には 0〜65535 の灰色の値を指定してください（「%1」は使えません）</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="648"/>
        <source>--gamma takes a number from 0.1 to 10, not &apos;%1&apos;</source>
        <translation>--gamma には 0.1〜10 の数を指定してください（「%1」は使えません）</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="652"/>
        <source>--fit takes fit, fill, stretch or none, not &apos;%1&apos;</source>
        <translation>--fit には fit、fill、stretch、none のどれかを指定してください（「%1」は使えません）</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="657"/>
        <source>--smooth takes a whole number from 0 to 3, not &apos;%1&apos;</source>
        <translation>--smooth には 0〜3 の整数を指定してください（「%1」は使えません）</translation>
    </message>
    <message>
        <location filename="../cli.cpp" line="672"/>
        <source>--%1 %2 is beyond the greys of %3, which go from 0 to %4</source>
        <translation>--%1 %2 は %3 の灰色の範囲（0〜%4）を超えています</translation>
    </message>
    <message>
        <source>Makes only runs FIRST to LAST (from 1) of the batch that the maps make: the same files, byte for byte, with the same names. This splits a batch over processes or machines. Each slice needs the whole list: it reads the maps before its runs for the level they carry.</source>
        <translation>マップが作るバッチのうち実行 FIRST から LAST（1 から数えます）だけを作ります。ファイルはバッチ全体で作るものとバイト単位で同じで、名前も同じです。バッチを複数のプロセスやマシンに分けるためのものです。前の実行が持ち越す奥行きレベルを知るためにその前のマップを読むので、どの部分にもリスト全体が必要です。</translation>
    </message>
    <message>
        <source>Reads the depth maps&apos; names from FILE instead: one a line, or separated by NUL bytes.</source>
        <translation>奥行きマップの名前を FILE から読み込みます: 1 行に 1 つ、または NUL バイト区切り。</translation>
    </message>
    <message>
        <source>--maps-from gives the depth maps: name none after it</source>
        <translation>--maps-from で奥行きマップを指定したときは、ほかにマップを指定しないでください</translation>
    </message>
    <message>
        <source>--scale %1 makes WebP frames of %2 x %3 pixels; the lossless encoder holds a whole frame, and a WebP animation is made within 300 MB up to --scale %4 (GIF has no such limit)</source>
        <translation>--scale %1 では WebP のコマが %2 × %3 ピクセルになります。可逆圧縮の符号化はコマ全体を保持するため、WebP アニメーションを 300 MB 以内で作れるのは --scale %4 までです（GIF にはこの制限はありません）</translation>
    </message>
    <message>
        <source>an animation is one file and is not split: give no --runs</source>
        <translation>アニメーションは 1 つのファイルなので分割できません: --runs を指定しないでください</translation>
    </message>
    <message>
        <source>--runs takes FIRST-LAST, whole numbers from 1 with FIRST not after LAST, not &apos;%1&apos;</source>
        <translation>--runs には FIRST-LAST（1 以上の整数で、FIRST は LAST 以下）を指定してください。&apos;%1&apos; は使えません</translation>
    </message>
    <message>
        <source>--runs %1 goes beyond the batch&apos;s %2 runs</source>
        <translation>--runs %1 はバッチの実行数 %2 を超えています</translation>
    </message>
    <message>
        <source>--runs writes files: give no -o -</source>
        <translation>--runs はファイルに書き込みます: -o - を指定しないでください</translation>
    </message>
    <message>
        <source>a list of more than %1 MB</source>
        <translation>%1 MB を超えるリストです</translation>
    </message>
    <message>
        <source>nothing written: %1 of the depth maps runs %2 read could not be read</source>
        <translation>何も書き込んでいません: 実行 %2 が読む奥行きマップのうち %1 個を読み込めませんでした</translation>
    </message>
    <message>
        <source>Resolution in dots per inch (default 96).</source>
        <translation>解像度（1 インチあたりのドット数、既定 96）。</translation>
    </message>
    <message>
        <source>Eye separation: a length with mm or in (default 2.5in).</source>
        <translation>目の間隔: mm または in を付けた長さ（既定 2.5in）。</translation>
    </message>
    <message>
        <source>How far the near plane stands in front of the far one, a share of the viewing distance, 0.05 to 0.9 (default 0.333).</source>
        <translation>手前の面が奥の面よりどれだけ前にあるか。見る距離に対する割合で 0.05 から 0.9（既定 0.333）。</translation>
    </message>
    <message>
        <source>The far separation in pixels, with --near-px in place of --eye and --depth.</source>
        <translation>奥の面の間隔（ピクセル）。--near-px と組にして --eye と --depth の代わりに使います。</translation>
    </message>
    <message>
        <source>The near separation in pixels, less than --far-px.</source>
        <translation>手前の面の間隔（ピクセル）。--far-px より小さくします。</translation>
    </message>
    <message>
        <source>Depth steps of 1/K pixel: K is 1, 2, 3, 4, 6 or 8 (default 1).</source>
        <translation>奥行きの段を 1/K ピクセル刻みにします。K は 1、2、3、4、6、8 のいずれか（既定 1）。</translation>
    </message>
    <message>
        <source>Dots: bw, grey, colour, red, green, blue (the program&apos;s tints; default blue); or a picture file, tiled at the far separation.</source>
        <translation>点の模様: bw、grey、colour、red、green、blue（プログラムの色合い。既定 blue）。または画像ファイルを奥の面の間隔で敷き詰めます。</translation>
    </message>
    <message>
        <source>With --pattern bw: the share of black dots in percent (default 50).</source>
        <translation>--pattern bw のとき: 黒い点の割合（パーセント、既定 50）。</translation>
    </message>
    <message>
        <source>Dot size: pixels, or a length with mm or in (default 1).</source>
        <translation>点の大きさ: ピクセル数、または mm か in を付けた長さ（既定 1）。</translation>
    </message>
    <message>
        <source>The depth map on the picture: fit (default), fill or stretch; the margin is far.</source>
        <translation>奥行きマップの画像への置き方: fit（既定）、fill、stretch。余白は奥の面になります。</translation>
    </message>
    <message>
        <source>Two dots above the picture, the far separation apart.</source>
        <translation>画像の上に、奥の面の間隔だけ離した 2 つの点を付けます。</translation>
    </message>
    <message>
        <source>For cross-eyed viewing: the depth inverted.</source>
        <translation>交差法で見るため、奥行きを反転します。</translation>
    </message>
    <message>
        <source>The dots&apos; seed; picture i of several uses seed + i (default 1).</source>
        <translation>点の乱数の種。複数の画像では i 枚目に種 + i を使います（既定 1）。</translation>
    </message>
    <message>
        <source>--dpi takes a whole number from 10 to 4800, not &apos;%1&apos;</source>
        <translation>--dpi には 10 から 4800 の整数を指定してください（&apos;%1&apos; は使えません）</translation>
    </message>
    <message>
        <source>--eye takes a length from 10mm to 100mm (or in inches), not &apos;%1&apos;</source>
        <translation>--eye には 10mm から 100mm（またはインチ）の長さを指定してください（&apos;%1&apos; は使えません）</translation>
    </message>
    <message>
        <source>--depth takes a number from 0.05 to 0.9, not &apos;%1&apos;</source>
        <translation>--depth には 0.05 から 0.9 の数を指定してください（&apos;%1&apos; は使えません）</translation>
    </message>
    <message>
        <source>give both --far-px and --near-px</source>
        <translation>--far-px と --near-px は両方指定してください</translation>
    </message>
    <message>
        <source>give either --eye and --depth or --far-px and --near-px, not both</source>
        <translation>--eye と --depth か、--far-px と --near-px のどちらか一方を指定してください</translation>
    </message>
    <message>
        <source>--far-px takes a whole number from 2 to %1, not &apos;%2&apos;</source>
        <translation>--far-px には 2 から %1 の整数を指定してください（&apos;%2&apos; は使えません）</translation>
    </message>
    <message>
        <source>--near-px takes a whole number from 1 to %1 (less than --far-px), not &apos;%2&apos;</source>
        <translation>--near-px には 1 から %1 の整数（--far-px より小さい値）を指定してください（&apos;%2&apos; は使えません）</translation>
    </message>
    <message>
        <source>--oversample takes 1, 2, 3, 4, 6 or 8, not &apos;%1&apos;</source>
        <translation>--oversample には 1、2、3、4、6、8 のいずれかを指定してください（&apos;%1&apos; は使えません）</translation>
    </message>
    <message>
        <source>cannot read the pattern %1: %2</source>
        <translation>模様 %1 を読み込めません: %2</translation>
    </message>
    <message>
        <source>--density takes a whole number from 0 to 100, not &apos;%1&apos;</source>
        <translation>--density には 0 から 100 の整数を指定してください（&apos;%1&apos; は使えません）</translation>
    </message>
    <message>
        <source>--dot takes a size from 1 to 1000 pixels (or in mm or in), not &apos;%1&apos;</source>
        <translation>--dot には 1 から 1000 ピクセル（または mm か in の長さ）を指定してください（&apos;%1&apos; は使えません）</translation>
    </message>
    <message>
        <source>--fit takes fit, fill or stretch, not &apos;%1&apos;</source>
        <translation>--fit には fit、fill、stretch のいずれかを指定してください（&apos;%1&apos; は使えません）</translation>
    </message>
    <message>
        <source>--seed takes a whole number from 0 to 4294967295, not &apos;%1&apos;</source>
        <translation>--seed には 0 から 4294967295 の整数を指定してください（&apos;%1&apos; は使えません）</translation>
    </message>
    <message>
        <source>separations: far %1 px (%2 mm), near %3 px (%4 mm), %5 depth steps</source>
        <translation>間隔: 奥 %1 px (%2 mm)、手前 %3 px (%4 mm)、奥行き %5 段</translation>
    </message>
    <message>
        <source>the near separation is less than 0.55 of the far one: hard to fuse</source>
        <translation>手前の面の間隔が奥の面の 0.55 倍より狭く、目で合わせにくくなります</translation>
    </message>
    <message>
        <source>the far separation is wider than 40 mm: wider than most eyes fuse</source>
        <translation>奥の面の間隔が 40 mm を超え、多くの人の目では合わせられません</translation>
    </message>
    <message>
        <source>the picture is narrower than two far separations</source>
        <translation>画像の幅が奥の面の間隔の 2 倍より狭くなっています</translation>
    </message>
    <message>
        <source>as eyes %1 mm apart with depth %2, at %3 dpi</source>
        <translation>目の間隔 %1 mm、奥行きの深さ %2 に当たります（%3 dpi）</translation>
    </message>
    <message>
        <source>fewer than 8 depth steps: widen the difference between --far-px and --near-px, or raise the oversampling</source>
        <translation>奥行きの段が 8 段より少なくなります。--far-px と --near-px の差を広げるか、オーバーサンプリングを上げてください</translation>
    </message>
    <message>
        <source>fewer than 8 depth steps: raise the dpi or the oversampling</source>
        <translation>奥行きの段が 8 段より少なくなります。dpi かオーバーサンプリングを上げてください</translation>
    </message>
    <message>
        <source>warning: %1</source>
        <translation>注意: %1</translation>
    </message>
    <message>
        <source>Makes a stereogram of any size from each depth map, with smooth depth: a map in the 16 level colours (level n is n/15 of the depth), or a grey picture (white near) through the options of &apos;%1 levels&apos;, not quantised. PNG (with its settings in a text chunk, for check and reveal), BMP or lossless WebP.</source>
        <translation>奥行きマップごとに、なめらかな奥行きで任意の大きさのステレオグラムを作ります。マップは 16 の高さの色で描いたもの（高さ n は奥行きの n/15）か、グレーの画像（白が手前）で、&apos;%1 levels&apos; のオプションで読み、段に丸めません。PNG（check と reveal のために設定をテキストチャンクに記録）、BMP、または可逆圧縮の WebP で保存します。</translation>
    </message>
    <message>
        <source>The picture&apos;s size: WxH pixels, or with mm or in at --dpi (default 1920x1080).</source>
        <translation>画像の大きさ: 幅x高さのピクセル数、または mm か in を付けて --dpi での長さ（既定 1920x1080）。</translation>
    </message>
    <message>
        <source>The file: .png, .bmp or .webp; with several maps {n} (from 1) and {name} are filled in.</source>
        <translation>保存するファイル: .png、.bmp、.webp。複数のマップでは {n}（1 から）と {name} を置き換えます。</translation>
    </message>
    <message>
        <source>Read the maps as levels, grey or auto (default: levels where every pixel is a level colour).</source>
        <translation>マップを levels、grey、auto のどれとして読むか（既定: どの画素も高さの色ならば levels）。</translation>
    </message>
    <message>
        <source>Black near.</source>
        <translation>黒を手前にします。</translation>
    </message>
    <message>
        <source>The nearest grey, or auto.</source>
        <translation>最も手前のグレー、または auto。</translation>
    </message>
    <message>
        <source>The farthest grey, or auto.</source>
        <translation>最も奥のグレー、または auto。</translation>
    </message>
    <message>
        <source>The grey that means no data (far).</source>
        <translation>データなしを表すグレー（奥になります）。</translation>
    </message>
    <message>
        <source>Depth spaced by this power, 0.1 to 10.</source>
        <translation>奥行きをこの累乗で割り振ります（0.1 から 10）。</translation>
    </message>
    <message>
        <source>A median filter of radius 0 to 3.</source>
        <translation>半径 0 から 3 のメディアンフィルタ。</translation>
    </message>
    <message>
        <source>One animated file (.gif or .webp) instead, a frame per map, each from the next seed.</source>
        <translation>代わりにアニメーションファイル（.gif または .webp）を 1 つ作ります。マップごとに 1 コマで、コマごとに次の種を使います。</translation>
    </message>
    <message>
        <source>No readout.</source>
        <translation>読み取り値を表示しません。</translation>
    </message>
    <message>
        <source>Makes only pictures FIRST to LAST (from 1) of those the maps make: the same files, with the same names and seeds. This splits the work over processes or machines.</source>
        <translation>マップから作る画像のうち FIRST 番目から LAST 番目（1 から数える）だけを作ります。ファイル、名前、種は同じです。作業を複数のプロセスやマシンに分けるのに使います。</translation>
    </message>
    <message>
        <source>Depth maps: any picture the program reads.</source>
        <translation>奥行きマップ: プログラムが読めるどの画像でもかまいません。</translation>
    </message>
    <message>
        <source>Usage: %1 render [options] DEPTH... -o OUT</source>
        <translation>使い方: %1 render [オプション] DEPTH... -o OUT</translation>
    </message>
    <message>
        <source>--size takes WxH from 16 to %1 pixels a side, in pixels or with mm or in, not &apos;%2&apos;</source>
        <translation>--size には 1 辺 16 から %1 ピクセルの 幅x高さ を、ピクセルまたは mm か in で指定してください（&apos;%2&apos; は使えません）</translation>
    </message>
    <message>
        <source>with --guides the picture would be taller than %1 pixels</source>
        <translation>--guides を付けると画像の高さが %1 ピクセルを超えます</translation>
    </message>
    <message>
        <source>--near takes a grey value or auto, not &apos;%1&apos;</source>
        <translation>--near にはグレーの値か auto を指定してください（&apos;%1&apos; は使えません）</translation>
    </message>
    <message>
        <source>--far takes a grey value or auto, not &apos;%1&apos;</source>
        <translation>--far にはグレーの値か auto を指定してください（&apos;%1&apos; は使えません）</translation>
    </message>
    <message>
        <source>--no-data takes a grey value, not &apos;%1&apos;</source>
        <translation>--no-data にはグレーの値を指定してください（&apos;%1&apos; は使えません）</translation>
    </message>
    <message>
        <source>--smooth takes 0 to 3, not &apos;%1&apos;</source>
        <translation>--smooth には 0 から 3 を指定してください（&apos;%1&apos; は使えません）</translation>
    </message>
    <message>
        <source>--as takes levels, grey or auto, not &apos;%1&apos;</source>
        <translation>--as には levels、grey、auto のいずれかを指定してください（&apos;%1&apos; は使えません）</translation>
    </message>
    <message>
        <source>--runs takes FIRST-LAST within 1-%1, not &apos;%2&apos;</source>
        <translation>--runs には 1-%1 の範囲の FIRST-LAST を指定してください（&apos;%2&apos; は使えません）</translation>
    </message>
    <message>
        <source>give the file to write with -o OUT</source>
        <translation>書き込むファイルを -o OUT で指定してください</translation>
    </message>
    <message>
        <source>an animation&apos;s frames are made whole: at most %1 million pixels, not %2 x %3</source>
        <translation>アニメーションのコマは全体を作ってから書き込むため、%1 百万ピクセルまでです（%2 x %3 は作れません）</translation>
    </message>
    <message>
        <source>%1: the name must end in .png, .bmp or .webp</source>
        <translation>%1: 名前は .png、.bmp、.webp のいずれかで終わる必要があります</translation>
    </message>
    <message>
        <source>a WebP is written whole: at most %1 pixels a side and %2 million pixels; write PNG or BMP for %3 x %4</source>
        <translation>WebP は全体をまとめて書き込むため、1 辺 %1 ピクセル、%2 百万ピクセルまでです。%3 x %4 は PNG か BMP で保存してください</translation>
    </message>
    <message>
        <source>several maps would write one file: put {n} or {name} in the output name</source>
        <translation>複数のマップが 1 つのファイルに書き込まれます。出力名に {n} か {name} を入れてください</translation>
    </message>
    <message>
        <source>%1 carries no settings of render (a BMP, or a PNG that lost its text chunk): give them as options, --dpi, --eye, --depth, --oversample, --pattern, --guides, --fit as it was made</source>
        <translation>%1 には render の設定が記録されていません（BMP か、テキストチャンクを失った PNG）。作ったときの設定を --dpi、--eye、--depth、--oversample、--pattern、--guides、--fit のオプションで指定してください</translation>
    </message>
    <message>
        <source>%1 is %2 x %3 pixels, not the %4 x %5 its settings make</source>
        <translation>%1 は %2 x %3 ピクセルで、設定から決まる %4 x %5 と違います</translation>
    </message>
    <message>
        <source>Decodes a picture that render made as the eyes do: each pixel to the separations at which a window of pixels repeats. With DEPTH, the share of linked pixels decoded to the intended separation, the wrong ones, echo regions and the depth steps lost; without, the echoes only. The settings come from the PNG&apos;s text chunk, or from the options.</source>
        <translation>render が作った画像を、目がするように読み解きます。各画素を、数画素の窓が繰り返す間隔に読みます。DEPTH を与えると、つながった画素のうち意図した間隔に読めた割合、誤った画素、エコーの領域、失われた奥行きの段を示します。与えないときはエコーだけを示します。設定は PNG のテキストチャンクから、またはオプションから取ります。</translation>
    </message>
    <message>
        <source>A picture that render made.</source>
        <translation>render が作った画像。</translation>
    </message>
    <message>
        <source>The depth map it was made from.</source>
        <translation>その画像を作った奥行きマップ。</translation>
    </message>
    <message>
        <source>Usage: %1 check [options] PICTURE [DEPTH]</source>
        <translation>使い方: %1 check [オプション] PICTURE [DEPTH]</translation>
    </message>
    <message>
        <source>give a picture and, if you have it, its depth map</source>
        <translation>画像と、あればその奥行きマップを指定してください</translation>
    </message>
    <message>
        <source>cannot check %1: %2</source>
        <translation>%1 を確認できません: %2</translation>
    </message>
    <message>
        <source>%1: %2 x %3 pixels looked at</source>
        <translation>%1: %2 x %3 ピクセルを調べました</translation>
    </message>
    <message>
        <source>linked pixels: %1, decoded to the intended separation: %2 (%3 %), wrong: %4</source>
        <translation>つながった画素: %1、意図した間隔に読めた画素: %2 (%3 %)、誤り: %4</translation>
    </message>
    <message>
        <source>depth steps: the map asks for %1 separations, %2 decoded, %3 lost</source>
        <translation>奥行きの段: マップが求める間隔 %1、読めた間隔 %2、失われた間隔 %3</translation>
    </message>
    <message>
        <source>sub-pixel error of the decoded depth: %1 px on average</source>
        <translation>読み取った奥行きのサブピクセル誤差: 平均 %1 px</translation>
    </message>
    <message>
        <source>echo pixels (decoded to two separations apart): %1 in %2 regions</source>
        <translation>エコー（離れた 2 つの間隔に読める画素）: %1 画素、%2 領域</translation>
    </message>
    <message>
        <source>%1: the depth map&apos;s name must end in .bmp or .png</source>
        <translation>%1: 奥行きマップの名前は .bmp か .png で終わる必要があります</translation>
    </message>
    <message>
        <source>%1 would be written over the picture it reads</source>
        <translation>%1 は読み込む画像を上書きしてしまいます</translation>
    </message>
    <message>
        <source>%1 is not the size its settings make</source>
        <translation>%1 は設定から決まる大きさではありません</translation>
    </message>
    <message>
        <source>cannot reveal %1: %2</source>
        <translation>%1 を読み解けません: %2</translation>
    </message>
    <message>
        <source>%1: its settings leave no separation to decode</source>
        <translation>%1: 設定からは読み解く間隔が残りません</translation>
    </message>
    <message>
        <source>%1: the depth decoded from %2 (white near, dark red where nothing decodes)</source>
        <translation>%1: %2 から読み解いた奥行き（白が手前、何も読めない所は暗い赤）</translation>
    </message>
</context>
</TS>
