<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>zor::Associations</name>
    <message>
        <source>.iclファイルを関連づけました。</source>
        <translation>.icl files are now associated.</translation>
    </message>
    <message>
        <source>.dllファイルを関連づけました。</source>
        <translation>.dll files are now associated.</translation>
    </message>
    <message>
        <source>.icoファイルを関連づけました。</source>
        <translation>.ico files are now associated.</translation>
    </message>
    <message>
        <source>.cplファイルを関連づけました。</source>
        <translation>.cpl files are now associated.</translation>
    </message>
    <message>
        <source>%1を関連づけられませんでした。
書き込めなかった場所:
%2</source>
        <extracomment>%1 is what was to be associated (&quot;.icl files&quot;, &quot;folders&quot;), %2 the places, one a line.</extracomment>
        <translation>Could not associate %1.
Places that could not be written:
%2</translation>
    </message>
    <message>
        <source>フォルダ</source>
        <comment>the folders&apos; association button</comment>
        <translation>Folder</translation>
    </message>
    <message>
        <source>%1ファイル</source>
        <extracomment>%1 is an extension with its dot (&quot;.icl&quot;): files of that type.</extracomment>
        <translation>%1 files</translation>
    </message>
    <message>
        <source>フォルダ</source>
        <comment>folders, as what could not be associated</comment>
        <translation>folders</translation>
    </message>
    <message>
        <source>フォルダを関連づけました。</source>
        <translation>Folders are now associated.</translation>
    </message>
</context>
<context>
    <name>zor::ExeExeExe</name>
    <message>
        <source>エラーが発生しました。</source>
        <translation>An error occurred.</translation>
    </message>
</context>
<context>
    <name>zor::Form1</name>
    <message>
        <source>このファイルにはアイコンが含まれていませんでした。</source>
        <translation>This file contains no icons.</translation>
    </message>
    <message>
        <source>このフォルダにはアイコンファイルが含まれていません。</source>
        <translation>This folder contains no icon files.</translation>
    </message>
    <message>
        <source>フォルダを開く</source>
        <translation>Open Folder</translation>
    </message>
    <message>
        <source>QEL Tormelia Viewer - [アイコン数：%1]</source>
        <translation>QEL Tormelia Viewer - [Icons: %1]</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>開く(&amp;O)...</source>
        <translation>&amp;Open...</translation>
    </message>
    <message>
        <source>フォルダを開く(&amp;D)...</source>
        <translation>Open &amp;Folder...</translation>
    </message>
    <message>
        <source>壁紙に設定(&amp;W)</source>
        <translation>Set as &amp;Wallpaper</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>大きなｱｲｺﾝ</source>
        <translation>Large Icons</translation>
    </message>
    <message>
        <source>小さなｱｲｺﾝ</source>
        <translation>Small Icons</translation>
    </message>
    <message>
        <source>オプション(&amp;O)...</source>
        <translation>&amp;Options...</translation>
    </message>
    <message>
        <source>関連付け(&amp;R)...</source>
        <translation>&amp;Associations...</translation>
    </message>
    <message>
        <source>便利な機能(&amp;U)...</source>
        <translation>&amp;Utilities...</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)...</source>
        <translation>&amp;Help Topics...</translation>
    </message>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報...</source>
        <translation>About QEL Tormelia Viewer...</translation>
    </message>
    <message>
        <source>拡大表示</source>
        <extracomment>Shows the clicked icon magnified in a window of its own.</extracomment>
        <translation>Enlarge</translation>
    </message>
    <message>
        <source>壁紙に設定</source>
        <translation>Set as Wallpaper</translation>
    </message>
    <message>
        <source>アイコンを保存(&amp;A)...</source>
        <translation>&amp;Save Icon...</translation>
    </message>
    <message>
        <source>すべてのアイコンを保存(&amp;L)...</source>
        <translation>Save A&amp;ll Icons...</translation>
    </message>
    <message>
        <source>コピー(&amp;C)</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>アイコンの情報(&amp;I)...</source>
        <translation>Icon &amp;Information...</translation>
    </message>
    <message>
        <source>このファイルを開く</source>
        <translation>Open This File</translation>
    </message>
    <message>
        <source>開く</source>
        <extracomment>The toolbar button with a menu of a file and a folder to open.</extracomment>
        <translation>Open</translation>
    </message>
    <message>
        <source>ファイルを開きます</source>
        <translation>Opens a file</translation>
    </message>
    <message>
        <source>ファイルを開く</source>
        <translation>Open File</translation>
    </message>
    <message>
        <source>大きいアイコン</source>
        <translation>Large Icons</translation>
    </message>
    <message>
        <source>小さいアイコン</source>
        <translation>Small Icons</translation>
    </message>
    <message>
        <source>アイコンを検索(&amp;E)...</source>
        <translation>S&amp;earch for Icons...</translation>
    </message>
    <message>
        <source>アイコンを作成(&amp;N)...</source>
        <translation>Create Ico&amp;n...</translation>
    </message>
</context>
<context>
    <name>zor::Form2</name>
    <message>
        <source>QEL TORMELIA VIEWER 拡大表示</source>
        <translation>QEL TORMELIA VIEWER Enlarged View</translation>
    </message>
    <message>
        <source>前のアイコン</source>
        <translation>Previous Icon</translation>
    </message>
    <message>
        <source>後ろのアイコン</source>
        <translation>Next Icon</translation>
    </message>
    <message>
        <source>大きいアイコン</source>
        <translation>Large Icons</translation>
    </message>
    <message>
        <source>小さいアイコン</source>
        <translation>Small Icons</translation>
    </message>
    <message>
        <source>&#x3000;ＯＫ&#x3000;</source>
        <extracomment>Closes the window; the full-width spaces only pad the Japanese caption.</extracomment>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>zor::FoundIconModel</name>
    <message>
        <source>%1,%2
最大 %3 × %3</source>
        <translation>%1,%2
Largest %3 × %3</translation>
    </message>
    <message>
        <source>ファイル名</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>フォルダ</source>
        <extracomment>Column header: the folder a file is in.</extracomment>
        <translation>Folder</translation>
    </message>
    <message>
        <source>番号</source>
        <extracomment>Column header: the icon&apos;s number in its file.</extracomment>
        <translation>Number</translation>
    </message>
    <message>
        <source>最大サイズ</source>
        <translation>Largest</translation>
    </message>
    <message>
        <source>画像数</source>
        <translation>Images</translation>
    </message>
</context>
<context>
    <name>zor::HelpWindow</name>
    <message>
        <source>目次(&amp;C)</source>
        <translation>&amp;Contents</translation>
    </message>
    <message>
        <source>キーワード(&amp;N)</source>
        <translation>I&amp;ndex</translation>
    </message>
    <message>
        <source>検索(&amp;S)</source>
        <translation>&amp;Search</translation>
    </message>
    <message>
        <source>戻る</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>進む</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>目次</source>
        <extracomment>Goes to the help file&apos;s first page.</extracomment>
        <translation>Contents</translation>
    </message>
    <message>
        <source>検索するキーワードを入力してください(&amp;W):</source>
        <translation>Type in the key&amp;word to find:</translation>
    </message>
    <message>
        <source>表示(&amp;D)</source>
        <extracomment>Shows the chosen topic.</extracomment>
        <translation>&amp;Display</translation>
    </message>
    <message>
        <source>検索する語句を入力してください(&amp;W):</source>
        <translation>Type in the &amp;word(s) to search for:</translation>
    </message>
    <message>
        <source>検索開始(&amp;L)</source>
        <translation>&amp;List Topics</translation>
    </message>
    <message>
        <source>トピックの選択(&amp;T):</source>
        <translation>Select &amp;topic to display:</translation>
    </message>
    <message>
        <source>見つかった数: %1</source>
        <translation>Found: %1</translation>
    </message>
</context>
<context>
    <name>zor::IcoGet</name>
    <message>
        <source>含ｱｲｺﾝﾌｧｲﾙ(*.icl,*.ico,*.exe,*.dll)|*.ico;*.icl;*.exe;*.dll|すべてのﾌｧｲﾙ(*.*)|*.*</source>
        <extracomment>An open-file dialog&apos;s filter, &quot;name|patterns|name|patterns&quot;: keep the | and the patterns.</extracomment>
        <translation>Files with icons (*.icl,*.ico,*.exe,*.dll)|*.ico;*.icl;*.exe;*.dll|All files (*.*)|*.*</translation>
    </message>
</context>
<context>
    <name>zor::IconCommands</name>
    <message>
        <source>アイコン|*.ico|PNG 画像|*.png</source>
        <extracomment>A save-file dialog&apos;s filter, &quot;name|patterns|name|patterns&quot;: keep the | and the patterns.</extracomment>
        <translation>Icon|*.ico|PNG image|*.png</translation>
    </message>
    <message>
        <source>PNG 画像|*.png|アイコン|*.ico|BMP 画像|*.bmp</source>
        <extracomment>A save-file dialog&apos;s filter, &quot;name|patterns|...&quot;: keep the | and the patterns.</extracomment>
        <translation>PNG image|*.png|Icon|*.ico|BMP image|*.bmp</translation>
    </message>
    <message>
        <source>このアイコンは読み込めませんでした。</source>
        <translation>This icon could not be read.</translation>
    </message>
    <message>
        <source>ファイルを保存できませんでした。

%1

%2</source>
        <translation>The file could not be saved.

%1

%2</translation>
    </message>
    <message>
        <source>PNG 画像の大きさ</source>
        <translation>PNG Image Size</translation>
    </message>
    <message>
        <source>大きさ(&amp;S):</source>
        <translation>&amp;Size:</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>すべてのアイコンを保存</source>
        <translation>Save All Icons</translation>
    </message>
    <message>
        <source>参照(&amp;B)...</source>
        <translation>&amp;Browse...</translation>
    </message>
    <message>
        <source>保存先(&amp;F):</source>
        <translation>&amp;Folder:</translation>
    </message>
    <message>
        <source>アイコン (*.ico)(&amp;I)</source>
        <translation>&amp;Icon (*.ico)</translation>
    </message>
    <message>
        <source>PNG 画像 (*.png)(&amp;P)</source>
        <translation>&amp;PNG image (*.png)</translation>
    </message>
    <message>
        <source>最大</source>
        <extracomment>Each icon&apos;s largest image, at its own size.</extracomment>
        <translation>Largest</translation>
    </message>
    <message>
        <source>形式:</source>
        <translation>Format:</translation>
    </message>
    <message>
        <source>アイコンライブラリ (.icl) 1 つにまとめる</source>
        <translation>All in one icon library (.icl)</translation>
    </message>
    <message>
        <source>保存先のフォルダ</source>
        <translation>Folder to Save In</translation>
    </message>
    <message>
        <source>アイコンライブラリ|*.icl</source>
        <extracomment>A save-file dialog&apos;s filter, &quot;name|patterns&quot;: keep the | and the pattern.</extracomment>
        <translation>Icon library|*.icl</translation>
    </message>
    <message>
        <source>アイコンライブラリを作れません。</source>
        <translation>Cannot make the icon library.</translation>
    </message>
    <message>
        <source>%1 個のアイコンをアイコンライブラリに保存しました。

%2</source>
        <translation>Icons saved into the icon library: %1.

%2</translation>
    </message>
    <message>
        <source>

読み込めなかったアイコンが %1 個ありました。</source>
        <translation>

Icons that could not be read: %1.</translation>
    </message>
    <message>
        <source>アイコンを保存</source>
        <translation>Save Icon</translation>
    </message>
    <message>
        <source>画像を保存</source>
        <translation>Save Image</translation>
    </message>
    <message>
        <source>フォルダを作れません。</source>
        <translation>Cannot make the folder.</translation>
    </message>
    <message>
        <source>「%1」はすでにあります。

保存先にすでにあるファイルをどうしますか？</source>
        <translation>&quot;%1&quot; already exists.

What should be done with the files already in the folder?</translation>
    </message>
    <message>
        <source>

このファイルは「%1」へのリンクです。</source>
        <translation>

This file is a link to &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>すべて上書き</source>
        <translation>Overwrite All</translation>
    </message>
    <message>
        <source>スキップ</source>
        <translation>Skip</translation>
    </message>
    <message>
        <source>アイコンを保存しています...</source>
        <translation>Saving icons...</translation>
    </message>
    <message>
        <source>

それまでに %1 個のファイルを保存しました。</source>
        <translation>

Files saved before that: %1.</translation>
    </message>
    <message>
        <source>保存を中止しました。

</source>
        <translation>Saving was stopped.

</translation>
    </message>
    <message>
        <source>%1 個のファイルを保存しました。

保存先: %2</source>
        <translation>Files saved: %1.

Folder: %2</translation>
    </message>
    <message>
        <source>

すでにあった %1 個のファイルはそのままにしました。</source>
        <translation>

Files that were already there and were left alone: %1.</translation>
    </message>
</context>
<context>
    <name>zor::IconExport</name>
    <message>
        <source>ディスクの空き領域が足りません。</source>
        <translation>There is not enough free disk space.</translation>
    </message>
    <message>
        <source>ファイルが大きすぎます。</source>
        <translation>The file is too large.</translation>
    </message>
    <message>
        <source>書き込みが許可されていません。</source>
        <translation>Writing is not permitted.</translation>
    </message>
    <message>
        <source>読み取り専用の場所です。</source>
        <translation>The location is read-only.</translation>
    </message>
    <message>
        <source>同じ名前のフォルダがあります。</source>
        <translation>A folder of the same name exists.</translation>
    </message>
    <message>
        <source>フォルダが見つかりません。</source>
        <translation>The folder was not found.</translation>
    </message>
    <message>
        <source>%1 から書き出せる大きさの上限 (%2 バイト、ファイルの大きさの %3 倍) を超えるため、ここで止めました。</source>
        <translation>Stopped here: going on would write more than may be written from %1 (%2 bytes, %3 times the size of the file).</translation>
    </message>
</context>
<context>
    <name>zor::Wallpaper</name>
    <message>
        <source>ファイルが読み込まれていません。

error plase: Form1.MFSetWall</source>
        <translation>No file is loaded.

error plase: Form1.MFSetWall</translation>
    </message>
    <message>
        <source>壁紙のファイルを保存できませんでした。

</source>
        <translation>The wallpaper file could not be saved.

</translation>
    </message>
</context>
<context>
    <name>zor::frmAbout</name>
    <message>
        <source>バージョン情報</source>
        <translation>About</translation>
    </message>
    <message>
        <source>zor の最新版と更新情報は下のウェブサイトで公開しています。ご意見やご感想、不具合の報告は上のアドレスまでメールでお寄せください。</source>
        <translation>zor&apos;s latest version and news are on the website below. Please mail your comments and bug reports to the address above.</translation>
    </message>
    <message>
        <source>ｼｽﾃﾑ情報</source>
        <translation>System Info</translation>
    </message>
    <message>
        <source>ﾌﾟﾛﾊﾟﾃｨ</source>
        <translation>Properties</translation>
    </message>
    <message>
        <source>現時点ではｼｽﾃﾑ情報を使用できません</source>
        <translation>System information is not available at this time</translation>
    </message>
</context>
<context>
    <name>zor::frmCreate</name>
    <message>
        <source>画像|*.png;*.bmp;*.jpg;*.jpeg;*.gif;*.webp;*.svg;*.ico;*.cur;*.icl;*.exe;*.dll;*.cpl|すべてのファイル|*.*</source>
        <extracomment>An open-file dialog&apos;s filter, &quot;name|patterns|name|patterns&quot;: keep the | and the patterns.</extracomment>
        <translation>Images|*.png;*.bmp;*.jpg;*.jpeg;*.gif;*.webp;*.svg;*.ico;*.cur;*.icl;*.exe;*.dll;*.cpl|All files|*.*</translation>
    </message>
    <message>
        <source>ファイルが見つかりません。</source>
        <translation>The file was not found.</translation>
    </message>
    <message>
        <source>フォルダです。</source>
        <translation>It is a folder.</translation>
    </message>
    <message>
        <source>ファイルが大きすぎます。</source>
        <translation>The file is too large.</translation>
    </message>
    <message>
        <source>ファイルを読み込めません。</source>
        <translation>The file cannot be read.</translation>
    </message>
    <message>
        <source>%1 ビット</source>
        <extracomment>An image&apos;s colour depth: %1 bits a pixel.</extracomment>
        <translation>%1-bit</translation>
    </message>
    <message>
        <source> (拡大)</source>
        <translation> (enlarged)</translation>
    </message>
    <message>
        <source>アイコンを作成</source>
        <translation>Create Icon</translation>
    </message>
    <message>
        <source>画像(&amp;I):</source>
        <translation>&amp;Images:</translation>
    </message>
    <message>
        <source>追加(&amp;A)...</source>
        <translation>&amp;Add...</translation>
    </message>
    <message>
        <source>貼り付け(&amp;P)</source>
        <translation>&amp;Paste</translation>
    </message>
    <message>
        <source>削除(&amp;R)</source>
        <translation>&amp;Remove</translation>
    </message>
    <message>
        <source>大きさ:</source>
        <translation>Sizes:</translation>
    </message>
    <message>
        <source>色数:</source>
        <translation>Colors:</translation>
    </message>
    <message>
        <source>32 ビット (アルファ付き)(&amp;3)</source>
        <translation>&amp;32-bit (with alpha)</translation>
    </message>
    <message>
        <source>8 ビット (256 色)(&amp;8)</source>
        <translation>&amp;8-bit (256 colors)</translation>
    </message>
    <message>
        <source>4 ビット (16 色)(&amp;4)</source>
        <translation>&amp;4-bit (16 colors)</translation>
    </message>
    <message>
        <source>すべての大きさを PNG で保存(&amp;N)</source>
        <translation>Save every size as P&amp;NG</translation>
    </message>
    <message>
        <source>プレビュー:</source>
        <translation>Preview:</translation>
    </message>
    <message>
        <source>保存(&amp;S)...</source>
        <translation>&amp;Save...</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>画像を追加してください (ドロップ、貼り付けもできます)。</source>
        <translation>Add images (dropping and pasting work too).</translation>
    </message>
    <message>
        <source>大きさを 1 つ以上選んでください。</source>
        <translation>Choose at least one size.</translation>
    </message>
    <message>
        <source>%1 個の画像を保存します。</source>
        <translation>Images to save: %1.</translation>
    </message>
    <message>
        <source>画像として使えません。

%1

%2</source>
        <translation>This cannot be used as an image.

%1

%2</translation>
    </message>
    <message>
        <source>画像がありません。</source>
        <translation>There is no image.</translation>
    </message>
    <message>
        <source>クリップボード</source>
        <translation>Clipboard</translation>
    </message>
    <message>
        <source>貼り付けた画像</source>
        <translation>Pasted image</translation>
    </message>
    <message>
        <source>アイコン|*.ico</source>
        <extracomment>A save-file dialog&apos;s filter, &quot;name|patterns&quot;: keep the | and the pattern.</extracomment>
        <translation>Icon|*.ico</translation>
    </message>
    <message>
        <source>アイコンを作れません。

</source>
        <translation>Cannot make the icon.

</translation>
    </message>
    <message>
        <source>ファイルを保存できませんでした。

%1

%2</source>
        <translation>The file could not be saved.

%1

%2</translation>
    </message>
    <message>
        <source>保存しました: %1</source>
        <translation>Saved: %1</translation>
    </message>
</context>
<context>
    <name>zor::frmIconInfo</name>
    <message>
        <source>ニュートラル (%1)</source>
        <translation>Neutral (%1)</translation>
    </message>
    <message>
        <source>アイコンの情報</source>
        <translation>Icon Information</translation>
    </message>
    <message>
        <source>ファイル:</source>
        <translation>File:</translation>
    </message>
    <message>
        <source>%1（画像 %2 個）</source>
        <translation>%1 (images: %2)</translation>
    </message>
    <message>
        <source>アイコンの番号:</source>
        <translation>Icon number:</translation>
    </message>
    <message>
        <source>リソース名:</source>
        <translation>Resource name:</translation>
    </message>
    <message>
        <source>言語:</source>
        <translation>Language:</translation>
    </message>
    <message>
        <source>%1 × %2
%3 ビット・%4
%5 バイト</source>
        <translation>%1 × %2
%3-bit · %4
%5 bytes</translation>
    </message>
    <message>
        <source>
（読み込めません）</source>
        <translation>
(unreadable)</translation>
    </message>
    <message>
        <source>保存(&amp;S)...</source>
        <translation>&amp;Save...</translation>
    </message>
    <message>
        <source>選んだ画像を PNG 画像、BMP 画像またはアイコンとして保存します</source>
        <translation>Saves the chosen image as a PNG image, a BMP image or an icon</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>コピー(&amp;C)</source>
        <translation>&amp;Copy</translation>
    </message>
</context>
<context>
    <name>zor::frmOption</name>
    <message>
        <source>グレイ</source>
        <translation>Gray</translation>
    </message>
    <message>
        <source>グリーン</source>
        <translation>Green</translation>
    </message>
    <message>
        <source>ピンク</source>
        <translation>Pink</translation>
    </message>
    <message>
        <source>ｽﾀﾝﾀﾞｰﾄﾞ</source>
        <extracomment>The toolbar&apos;s standard colours.</extracomment>
        <translation>Standard</translation>
    </message>
    <message>
        <source>ブルー</source>
        <translation>Blue</translation>
    </message>
    <message>
        <source>イエロー</source>
        <translation>Yellow</translation>
    </message>
    <message>
        <source>ダブルクリックで起動します。</source>
        <translation>It starts with a double-click.</translation>
    </message>
    <message>
        <source>右クリックのコンテキストメニューから起動するようになります。</source>
        <translation>It starts from the right-click context menu.</translation>
    </message>
    <message>
        <source>アイコンライブラリファイルです。アイコン集などはこの形式で配布されることが多い（特に海外では）ので関連付けることをおすすめします。</source>
        <translation>An icon library file. Icon collections are often distributed in this format (especially outside Japan), so associating it is recommended.</translation>
    </message>
    <message>
        <source>ダイナミックリンクライブラリファイルです。アイコン集の配布などに使われるほか、shell32.dllなどのようにWindowsのシステムファイルの中にもアイコンをたくさん含むものがあります。</source>
        <translation>A dynamic link library file. Used to distribute icon collections, and some Windows system files such as shell32.dll hold many icons too.</translation>
    </message>
    <message>
        <source>アイコンファイルです。ちょっと拡大表示してみたいときなどに便利です。</source>
        <translation>An icon file. Handy when you want a quick enlarged look.</translation>
    </message>
    <message>
        <source>フォルダを開くと中身のアイコンファイルを全て表示します。アイコン形式で配布されているアイコン集をみるのに便利です。</source>
        <translation>Opening a folder shows every icon file in it. Handy for icon collections distributed as icon files.</translation>
    </message>
    <message>
        <source>コントロールパネルアプレットのファイルです。</source>
        <translation>A Control Panel applet file.</translation>
    </message>
    <message>
        <source>ｺﾝﾄﾛｰﾙﾊﾟﾈﾙの画面を開く</source>
        <translation>Open Control Panel Item</translation>
    </message>
    <message>
        <source>ｺﾝﾄﾛｰﾙﾊﾟﾈﾙを開く</source>
        <translation>Open the Control Panel</translation>
    </message>
    <message>
        <source>ﾌｫﾙﾀﾞｵﾌﾟｼｮﾝを開く</source>
        <translation>Open Folder Options</translation>
    </message>
    <message>
        <source>ﾃﾞｽｸﾄｯﾌﾟﾃｰﾏを開く</source>
        <translation>Open Desktop Themes</translation>
    </message>
    <message>
        <source>アイコンライブラリ ビューア — オプション</source>
        <translation>Icon Library Viewer — Options</translation>
    </message>
    <message>
        <source>関連づけたいァイル形式のボタンを押すと、ダブルクリックしたときもしくは右クリックのコンテキストメニューからQEL TORMELIA VIEWERが起動します。また、ボタンの上にマウスポインタを重ねるとそのァイル形式の説明が表示されます。</source>
        <translation>Press the button of a file type to associate it: QEL TORMELIA VIEWER then starts on a double-click or from the right-click context menu. Rest the mouse pointer on a button to read about its file type.</translation>
    </message>
    <message>
        <source>オプション</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>関連づけ</source>
        <translation>Associations</translation>
    </message>
    <message>
        <source>便利な機能</source>
        <translation>Utilities</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>起動設定</source>
        <translation>Startup</translation>
    </message>
    <message>
        <source>前回の位置を復元する</source>
        <translation>Restore the last position</translation>
    </message>
    <message>
        <source>前回のサイズを復元する</source>
        <translation>Restore the last size</translation>
    </message>
    <message>
        <source>前回のアイコンのサイズを復元する</source>
        <translation>Restore the last icon size</translation>
    </message>
    <message>
        <source>ツールバーのアイコン</source>
        <translation>Toolbar Icons</translation>
    </message>
    <message>
        <source>よく開くファイル&#x3000;４つまで登録できます。</source>
        <translation>Favorite files (up to four)</translation>
    </message>
    <message>
        <source>クリア</source>
        <translation>Clear</translation>
    </message>
</context>
<context>
    <name>zor::frmSearch</name>
    <message>
        <source>参照(&amp;B)...</source>
        <translation>&amp;Browse...</translation>
    </message>
    <message>
        <source>フォルダ(&amp;D):</source>
        <translation>Fol&amp;der:</translation>
    </message>
    <message>
        <source>サブフォルダも検索する</source>
        <translation>Search subfolders too</translation>
    </message>
    <message>
        <source>アイコンファイル (.ico .cur)</source>
        <translation>Icon files (.ico .cur)</translation>
    </message>
    <message>
        <source>アイコンライブラリ (.icl)</source>
        <translation>Icon libraries (.icl)</translation>
    </message>
    <message>
        <source>プログラムとライブラリ (.exe .dll .cpl .ocx .scr .mun .sys)</source>
        <translation>Programs and libraries (.exe .dll .cpl .ocx .scr .mun .sys)</translation>
    </message>
    <message>
        <source>すべてのファイル (中身で判断)</source>
        <translation>All files (judged by content)</translation>
    </message>
    <message>
        <source>指定なし</source>
        <extracomment>No minimum size: icons of every size are listed.</extracomment>
        <translation>Any</translation>
    </message>
    <message>
        <source>%1 × %1 以上</source>
        <translation>%1 × %1 or larger</translation>
    </message>
    <message>
        <source>最小サイズ(&amp;M):</source>
        <translation>&amp;Minimum size:</translation>
    </message>
    <message>
        <source>検索(&amp;S)</source>
        <translation>&amp;Search</translation>
    </message>
    <message>
        <source>中止</source>
        <extracomment>Stops the running search.</extracomment>
        <translation>Stop</translation>
    </message>
    <message>
        <source>ファイル名の一部</source>
        <translation>Part of a file name</translation>
    </message>
    <message>
        <source>絞り込み(&amp;N):</source>
        <translation>Filter by &amp;name:</translation>
    </message>
    <message>
        <source>大きいアイコン</source>
        <translation>Large Icons</translation>
    </message>
    <message>
        <source>小さいアイコン</source>
        <translation>Small Icons</translation>
    </message>
    <message>
        <source>詳細</source>
        <extracomment>The view of the found icons as a table with columns.</extracomment>
        <translation>Details</translation>
    </message>
    <message>
        <source>開く</source>
        <extracomment>Opens the file of the chosen icon in the main window.</extracomment>
        <translation>Open</translation>
    </message>
    <message>
        <source>拡大表示</source>
        <translation>Enlarge</translation>
    </message>
    <message>
        <source>アイコンを保存...</source>
        <translation>Save Icon...</translation>
    </message>
    <message>
        <source>コピー</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>アイコンの情報...</source>
        <translation>Icon Information...</translation>
    </message>
    <message>
        <source>ファイルの場所を開く</source>
        <translation>Open File Location</translation>
    </message>
    <message>
        <source>大きなｱｲｺﾝ</source>
        <translation>Large Icons</translation>
    </message>
    <message>
        <source>小さなｱｲｺﾝ</source>
        <translation>Small Icons</translation>
    </message>
    <message>
        <source>開くファイル:</source>
        <extracomment>Before the check boxes of the kinds of files the search opens.</extracomment>
        <translation>Files to open:</translation>
    </message>
    <message>
        <source>開くファイルの種類を選んでください。</source>
        <translation>Choose the kinds of files to open.</translation>
    </message>
    <message>
        <source>フォルダを読めません: %1</source>
        <translation>Cannot read the folder: %1</translation>
    </message>
    <message>
        <source>中止しました: ファイル %1 件、アイコン %2 個</source>
        <translation>Stopped: files %1, icons %2</translation>
    </message>
    <message>
        <source>完了: ファイル %1 件、アイコン %2 個</source>
        <translation>Done: files %1, icons %2</translation>
    </message>
    <message>
        <source>（読めないファイル %1 件、フォルダ %2 件）</source>
        <translation> (unreadable: files %1, folders %2)</translation>
    </message>
    <message>
        <source>アイコン検索 - [アイコン数：%1]</source>
        <translation>Icon Search - [Icons: %1]</translation>
    </message>
    <message>
        <source>検索中 (ファイル %1 件): </source>
        <translation>Searching (files %1): </translation>
    </message>
    <message>
        <source>フォルダを開く</source>
        <translation>Open Folder</translation>
    </message>
    <message>
        <source>ファイルの場所を開けませんでした。

%1

ファイルマネージャが応答しません。</source>
        <translation>Could not open the file location.

%1

The file manager does not respond.</translation>
    </message>
    <message>
        <source>選択したアイコンをアイコンライブラリに保存...</source>
        <translation>Save Selected Icons to Icon Library...</translation>
    </message>
    <message>
        <source>選択したアイコンをアイコンライブラリに保存</source>
        <translation>Save Selected Icons to Icon Library</translation>
    </message>
</context>
</TS>
