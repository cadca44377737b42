<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja" sourcelanguage="en">
<context>
    <name>picture::PictureError</name>
    <message>
        <source>no file name</source>
        <translation>ファイル名がありません。</translation>
    </message>
    <message>
        <source>file not found</source>
        <translation>ファイルが見つかりません。</translation>
    </message>
    <message>
        <source>path not found</source>
        <translation>パスが見つかりません。</translation>
    </message>
    <message>
        <source>no permission to read it</source>
        <translation>このファイルを読み取る許可がありません。</translation>
    </message>
    <message>
        <source>no permission to write it</source>
        <translation>このファイルに書き込む許可がありません。</translation>
    </message>
    <message>
        <source>no permission to write in the folder %1</source>
        <translation>フォルダー %1 に書き込む許可がありません。</translation>
    </message>
    <message>
        <source>the disk is read-only</source>
        <translation>読み取り専用のディスクです。</translation>
    </message>
    <message>
        <source>it is a folder</source>
        <translation>フォルダーです。</translation>
    </message>
    <message>
        <source>not a regular file (a named pipe, socket or device)</source>
        <translation>通常のファイルではありません（名前付きパイプ、ソケット、デバイスなど）。</translation>
    </message>
    <message>
        <source>a symbolic link that belongs to another user; not followed</source>
        <translation>ほかのユーザーのシンボリックリンクです。リンク先には書き込みません。</translation>
    </message>
    <message>
        <source>the file is empty (0 bytes)</source>
        <translation>ファイルが空です（0 バイト）。</translation>
    </message>
    <message>
        <source>too large: the file is %1 MB; files up to %2 MB are read</source>
        <translation>画像が大きすぎます（ファイルの大きさ %1 MB）。読み込めるのは %2 MB までのファイルです。</translation>
    </message>
    <message>
        <source>too large: %1 x %2 pixels; pictures up to %3 x %3 pixels are read</source>
        <translation>画像が大きすぎます（%1 × %2 ピクセル）。読み込めるのは %3 × %3 ピクセルまでです。</translation>
    </message>
    <message>
        <source>too large: %1 x %2 pixels take %3 MB decoded; up to %4 MB are read</source>
        <translation>画像が大きすぎます（%1 × %2 ピクセル、展開すると %3 MB）。読み込めるのは %4 MB までです。</translation>
    </message>
    <message>
        <source>the file is cut short</source>
        <translation>ファイルが途中で切れています。</translation>
    </message>
    <message>
        <source>the picture is damaged</source>
        <translation>画像ファイルが壊れています。</translation>
    </message>
    <message>
        <source>a kind of picture that is not supported</source>
        <translation>対応していない形式の画像です。</translation>
    </message>
    <message>
        <source>not a picture, or a format that is not read (BMP, PNG, GIF and JPEG are)</source>
        <translation>画像ファイルではないか、対応していない形式です。読み込めるのは BMP、PNG、GIF、JPEG の画像です。</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>メモリが不足しています。</translation>
    </message>
    <message>
        <source>device I/O error</source>
        <translation>デバイス I/O エラーです。</translation>
    </message>
    <message>
        <source>cannot access the file (%1)</source>
        <translation>ファイルにアクセスできません（%1）。</translation>
    </message>
    <message>
        <source>the disk is full: %1 MB are needed, %2 MB are free</source>
        <translation>保存には %1 MB の空きが必要ですが、空きは %2 MB です。</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>ディスクの空き容量が不足しています。</translation>
    </message>
    <message>
        <source>the disk is full: %1 MB are needed</source>
        <translation>保存には %1 MB の空きが必要です。</translation>
    </message>
    <message>
        <source>the disk quota is used up</source>
        <translation>ディスクの使用量の上限（クォータ）に達しました。</translation>
    </message>
    <message>
        <source>a frame has %1 colours; a GIF frame holds at most %2 (WebP holds any)</source>
        <translation>コマの色が %1 色あります。GIF のコマは %2 色までです（WebP なら何色でも保存できます）。</translation>
    </message>
    <message>
        <source>the file would be larger than its format allows (%1 MB)</source>
        <translation>ファイルがこの形式で保存できる大きさ（%1 MB）を超えます。</translation>
    </message>
</context>
</TS>
