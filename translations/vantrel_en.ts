<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>LoopsOfMany</name>
    <message>
        <source>ループを自動検出しています…</source>
        <translation>Finding loops…</translation>
    </message>
    <message>
        <source>適切なループが見つかりません: %1</source>
        <translation>No suitable loop was found: %1</translation>
    </message>
</context>
<context>
    <name>MissingWavePrompt</name>
    <message>
        <source>ファイルが見つかりません:
%1</source>
        <translation>File not found:
%1</translation>
    </message>
    <message>
        <source>ファイルを読めません:
%1
%2</source>
        <translation>Cannot read the file:
%1
%2</translation>
    </message>
    <message>
        <source>探す…</source>
        <translation>Find…</translation>
    </message>
    <message>
        <source>スキップ</source>
        <translation>Skip</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Abort</translation>
    </message>
</context>
<context>
    <name>TCrossFadeControl</name>
    <message>
        <source>クロスフェード</source>
        <translation>Crossfade</translation>
    </message>
    <message>
        <source>%1 サンプル</source>
        <translation>%1 samples</translation>
    </message>
</context>
<context>
    <name>TCursorKeys</name>
    <message>
        <source>カーソル移動(&amp;M)</source>
        <translation>&amp;Move Cursor</translation>
    </message>
    <message>
        <source>カーソルを左へ</source>
        <translation>Cursor Left</translation>
    </message>
    <message>
        <source>カーソルを右へ</source>
        <translation>Cursor Right</translation>
    </message>
    <message>
        <source>カーソルを表示範囲の1/10左へ</source>
        <translation>Cursor Left by a Tenth of the Span</translation>
    </message>
    <message>
        <source>カーソルを表示範囲の1/10右へ</source>
        <translation>Cursor Right by a Tenth of the Span</translation>
    </message>
    <message>
        <source>前のゼロクロスへ</source>
        <translation>Previous Zero Crossing</translation>
    </message>
    <message>
        <source>次のゼロクロスへ</source>
        <translation>Next Zero Crossing</translation>
    </message>
    <message>
        <source>表示範囲の先頭へ</source>
        <translation>Start of the Span</translation>
    </message>
    <message>
        <source>表示範囲の末尾へ</source>
        <translation>End of the Span</translation>
    </message>
</context>
<context>
    <name>TDialogPrompter</name>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>TLanguageMenu</name>
    <message>
        <source>言語(&amp;L)</source>
        <translation>&amp;Language</translation>
    </message>
</context>
<context>
    <name>TLoopEditController</name>
    <message>
        <source>今のループより良いループは見つかりませんでした</source>
        <translation>No better loop than the current one was found</translation>
    </message>
    <message>
        <source>ループ %1:%2 を見つけました</source>
        <translation>Found the loop %1:%2</translation>
    </message>
    <message>
        <source>（%1）</source>
        <translation> (%1)</translation>
    </message>
    <message>
        <source>%1 %2 Hz</source>
        <translation>%1 %2 Hz</translation>
    </message>
    <message>
        <source>ビブラート</source>
        <translation>vibrato</translation>
    </message>
    <message>
        <source>トレモロ</source>
        <translation>tremolo</translation>
    </message>
    <message>
        <source>うなり</source>
        <translation>beating</translation>
    </message>
    <message>
        <source>ループを自動検出しています…</source>
        <translation>Finding the loop…</translation>
    </message>
    <message>
        <source>ループの検出を取り消しました</source>
        <translation>Loop search cancelled</translation>
    </message>
    <message>
        <source>クロスフェードの自動設定</source>
        <translation>Set Crossfade Automatically</translation>
    </message>
    <message>
        <source>クロスフェードを %1 サンプルにしました</source>
        <translation>Set the crossfade to %1 samples</translation>
    </message>
    <message>
        <source>ループ始点の変更</source>
        <translation>Change Loop Start</translation>
    </message>
    <message>
        <source>ループ終点の変更</source>
        <translation>Change Loop End</translation>
    </message>
    <message>
        <source>ループの設定</source>
        <translation>Set Loop</translation>
    </message>
    <message>
        <source>ループクリア</source>
        <translation>Clear Loop</translation>
    </message>
    <message>
        <source>ループマーカーの移動</source>
        <translation>Move Loop Marker</translation>
    </message>
    <message>
        <source>ループの継ぎ目: %1 %2</source>
        <translation>Loop seam: %1 %2</translation>
    </message>
    <message>
        <source>ループに合わせてクロスフェードを %1 サンプルから %2 サンプルに短くしました</source>
        <translation>The crossfade was shortened from %1 to %2 samples to fit the loop</translation>
    </message>
    <message>
        <source>クロスフェードの変更</source>
        <translation>Change Crossfade</translation>
    </message>
    <message>
        <source>ループを自動検出</source>
        <translation>Find Loop</translation>
    </message>
</context>
<context>
    <name>TMainForm</name>
    <message>
        <source>元に戻す(&amp;U)</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>やり直し(&amp;R)</source>
        <translation>&amp;Redo</translation>
    </message>
    <message>
        <source>確認</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>KSDを保存しますか？</source>
        <translation>Save the list?</translation>
    </message>
    <message>
        <source>新規作成(&amp;N)</source>
        <translation>&amp;New</translation>
    </message>
    <message>
        <source>新規作成</source>
        <translation>New</translation>
    </message>
    <message>
        <source>KSDを開く(&amp;L)...</source>
        <translation>&amp;Open List...</translation>
    </message>
    <message>
        <source>KSDを開く</source>
        <translation>Open List</translation>
    </message>
    <message>
        <source>KSDを上書き保存(&amp;S)...</source>
        <translation>&amp;Save List</translation>
    </message>
    <message>
        <source>KSDを上書き保存</source>
        <translation>Save List</translation>
    </message>
    <message>
        <source>KSDを名前をつけて保存(&amp;A)...</source>
        <translation>Save List &amp;As...</translation>
    </message>
    <message>
        <source>KSDを名前をつけて保存</source>
        <translation>Save List As</translation>
    </message>
    <message>
        <source>VBKのエクスポート(&amp;E)...</source>
        <translation>&amp;Export Voice Bank...</translation>
    </message>
    <message>
        <source>VBKのエクスポート</source>
        <translation>Export Voice Bank</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>wav追加(&amp;A)...</source>
        <translation>&amp;Add Wave...</translation>
    </message>
    <message>
        <source>wav追加</source>
        <translation>Add Wave</translation>
    </message>
    <message>
        <source>wav削除(&amp;D)...</source>
        <translation>&amp;Delete Wave</translation>
    </message>
    <message>
        <source>wav削除</source>
        <translation>Delete Wave</translation>
    </message>
    <message>
        <source>上に移動(&amp;U)</source>
        <translation>Move &amp;Up</translation>
    </message>
    <message>
        <source>上に移動</source>
        <translation>Move Up</translation>
    </message>
    <message>
        <source>下に移動(&amp;D)</source>
        <translation>Move &amp;Down</translation>
    </message>
    <message>
        <source>下に移動</source>
        <translation>Move Down</translation>
    </message>
    <message>
        <source>ループ始点(&amp;S)</source>
        <translation>Loop &amp;Start</translation>
    </message>
    <message>
        <source>ループ始点</source>
        <translation>Loop Start</translation>
    </message>
    <message>
        <source>ループ終点(&amp;E)</source>
        <translation>Loop &amp;End</translation>
    </message>
    <message>
        <source>ループ終点</source>
        <translation>Loop End</translation>
    </message>
    <message>
        <source>ループクリア(&amp;C)</source>
        <translation>&amp;Clear Loop</translation>
    </message>
    <message>
        <source>ループクリア</source>
        <translation>Clear Loop</translation>
    </message>
    <message>
        <source>ループを自動検出(&amp;F)</source>
        <translation>&amp;Find Loop</translation>
    </message>
    <message>
        <source>ループを自動検出</source>
        <translation>Find Loop</translation>
    </message>
    <message>
        <source>ループ終点を広く検索(&amp;W)</source>
        <translation>Find Loop End &amp;Widely</translation>
    </message>
    <message>
        <source>クロスフェードを自動設定(&amp;X)</source>
        <translation>Set Crossfade Automatically (&amp;X)</translation>
    </message>
    <message>
        <source>ゼロクロスに合わせる(&amp;Z)</source>
        <translation>Snap to &amp;Zero Crossings</translation>
    </message>
    <message>
        <source>ゼロクロスに合わせる</source>
        <translation>Snap to Zero Crossings</translation>
    </message>
    <message>
        <source>全体表示(&amp;A)</source>
        <translation>Whole &amp;Wave</translation>
    </message>
    <message>
        <source>全体表示</source>
        <translation>Whole Wave</translation>
    </message>
    <message>
        <source>ズームイン(&amp;I)</source>
        <translation>Zoom &amp;In</translation>
    </message>
    <message>
        <source>ズームイン</source>
        <translation>Zoom In</translation>
    </message>
    <message>
        <source>ズームアウト(&amp;O)</source>
        <translation>Zoom &amp;Out</translation>
    </message>
    <message>
        <source>ズームアウト</source>
        <translation>Zoom Out</translation>
    </message>
    <message>
        <source>再生(&amp;P)</source>
        <translation>&amp;Play</translation>
    </message>
    <message>
        <source>再生</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>停止(&amp;S)</source>
        <translation>&amp;Stop</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>バージョン情報(&amp;A)...</source>
        <translation>&amp;About Vantrel...</translation>
    </message>
    <message>
        <source>0.01秒表示(&amp;1)</source>
        <translation>0.01 Seconds</translation>
    </message>
    <message>
        <source>0.05秒表示(&amp;2)</source>
        <translation>0.05 Seconds</translation>
    </message>
    <message>
        <source>0.1秒表示(&amp;3)</source>
        <translation>0.1 Seconds</translation>
    </message>
    <message>
        <source>0.5秒表示(&amp;4)</source>
        <translation>0.5 Seconds</translation>
    </message>
    <message>
        <source>1秒表示(&amp;5)</source>
        <translation>1 Second</translation>
    </message>
    <message>
        <source>5秒表示(&amp;6)</source>
        <translation>5 Seconds</translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>最近使ったファイル(&amp;R)</source>
        <translation>&amp;Recent Files</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>表示言語は次回の起動から切り替わります</source>
        <translation>The language changes the next time Vantrel starts</translation>
    </message>
    <message>
        <source>演奏(&amp;P)</source>
        <translation>&amp;Play</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>すべてのファイル</source>
        <translation>All files</translation>
    </message>
    <message>
        <source>サウンドファイル</source>
        <translation>Sound files</translation>
    </message>
    <message>
        <source>waveファイル</source>
        <translation>Wave files</translation>
    </message>
    <message>
        <source>ksdファイル(*.ksd);;すべてのファイル(*)</source>
        <translation>List files (*.ksd);;All files (*)</translation>
    </message>
    <message>
        <source>KSDファイル(*.ksd);;すべてのファイル(*)</source>
        <translation>List files (*.ksd);;All files (*)</translation>
    </message>
    <message>
        <source>VBKファイル(*.vbk);;すべてのファイル(*)</source>
        <translation>Voice banks (*.vbk);;All files (*)</translation>
    </message>
    <message>
        <source>選択範囲を別ウィンドウで拡大表示</source>
        <translation>Zoom to Selection in the Detail View</translation>
    </message>
    <message>
        <source>選択範囲を拡大表示</source>
        <translation>Zoom to Selection</translation>
    </message>
    <message>
        <source>無題</source>
        <translation>Untitled</translation>
    </message>
    <message>
        <source>カーソルから再生(&amp;C)</source>
        <translation>Play from &amp;Cursor</translation>
    </message>
    <message>
        <source>継ぎ目を試聴(&amp;J)</source>
        <translation>Au&amp;dition Seam</translation>
    </message>
    <message>
        <source>継ぎ目を試聴</source>
        <translation>Audition Seam</translation>
    </message>
    <message>
        <source>「%1」を保存しますか？</source>
        <translation>Save "%1"?</translation>
    </message>
    <message>
        <source>VBKをエクスポートしました: %1</source>
        <translation>Voice bank exported: %1</translation>
    </message>
    <message>
        <source>VBKファイルのエクスポート</source>
        <translation>Export Voice Bank</translation>
    </message>
    <message>
        <source>新しい場所で見つかった wav: %1 個 (%2)</source>
        <translation>Waves found in new places: %1 (%2)</translation>
    </message>
    <message>
        <source>サンプル単位で表示(&amp;M)</source>
        <translation>Positions in Sa&amp;mples</translation>
    </message>
    <message>
        <source>使い方(&amp;H)...</source>
        <translation>&amp;User Guide...</translation>
    </message>
    <message>
        <source>探す…</source>
        <translation>Locate…</translation>
    </message>
</context>
<context>
    <name>TPlaybackController</name>
    <message>
        <source>出力デバイスが見つかりません</source>
        <translation>No output device was found</translation>
    </message>
    <message>
        <source>スピーカーかヘッドホンをつなぎ、システムのサウンド設定で出力デバイスを選んでください。</source>
        <translation>Connect speakers or headphones and choose an output device in the system's sound settings.</translation>
    </message>
    <message>
        <source>出力デバイスはほかのプログラムが使用中です</source>
        <translation>The output device is in use by another program</translation>
    </message>
    <message>
        <source>ほかのプログラムの再生を止めてから、もう一度再生してください。</source>
        <translation>Stop playback in the other program, then play again.</translation>
    </message>
    <message>
        <source>出力デバイスを開けません</source>
        <translation>The output device cannot be opened</translation>
    </message>
    <message>
        <source>システムのサウンド設定で出力デバイスを確かめてから、もう一度再生してください。</source>
        <translation>Check the output device in the system's sound settings, then play again.</translation>
    </message>
    <message>
        <source>理由: %1</source>
        <translation>Reason: %1</translation>
    </message>
</context>
<context>
    <name>TPositionReadout</name>
    <message>
        <source>%1秒</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>%1サンプル</source>
        <translation>%1 samples</translation>
    </message>
    <message>
        <source>カーソル: %1</source>
        <translation>Cursor: %1</translation>
    </message>
    <message>
        <source>選択: %1 – %2 (長さ %3)</source>
        <translation>Selection: %1 – %2 (length %3)</translation>
    </message>
    <message>
        <source>ループ長: %1</source>
        <translation>Loop length: %1</translation>
    </message>
</context>
<context>
    <name>TSeamWords</name>
    <message>
        <source>不良</source>
        <translation>poor</translation>
    </message>
    <message>
        <source>良好</source>
        <translation>good</translation>
    </message>
    <message>
        <source>可</source>
        <translation>fair</translation>
    </message>
</context>
<context>
    <name>TVersionForm</name>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Vantrel ボイスバンク作成ツール</source>
        <translation>Vantrel voice bank builder</translation>
    </message>
    <message>
        <source>ご利用いただきありがとうございます。</source>
        <translation>Thank you for using Vantrel.</translation>
    </message>
    <message>
        <source>OK(&amp;O)</source>
        <translation>&amp;OK</translation>
    </message>
</context>
<context>
    <name>TViewPopupMenu</name>
    <message>
        <source>全体表示</source>
        <translation>Whole Wave</translation>
    </message>
    <message>
        <source>選択解除</source>
        <translation>Clear Selection</translation>
    </message>
    <message>
        <source>ループ始点に設定</source>
        <translation>Set Loop Start</translation>
    </message>
    <message>
        <source>ループ終点に設定</source>
        <translation>Set Loop End</translation>
    </message>
    <message>
        <source>ループ始点／終点に設定</source>
        <translation>Set Loop to Selection</translation>
    </message>
    <message>
        <source>ループクリア</source>
        <translation>Clear Loop</translation>
    </message>
    <message>
        <source>ループを自動検出(&amp;F)</source>
        <translation>&amp;Find Loop</translation>
    </message>
    <message>
        <source>探す…</source>
        <translation>Locate…</translation>
    </message>
</context>
<context>
    <name>TWaveListModel</name>
    <message>
        <source>wav追加</source>
        <translation>Add Wave</translation>
    </message>
    <message>
        <source>wav削除</source>
        <translation>Delete Wave</translation>
    </message>
    <message>
        <source>上に移動</source>
        <translation>Move Up</translation>
    </message>
    <message>
        <source>下に移動</source>
        <translation>Move Down</translation>
    </message>
    <message>
        <source>ループ始点の入力</source>
        <translation>Enter Loop Start</translation>
    </message>
    <message>
        <source>ループ終点の入力</source>
        <translation>Enter Loop End</translation>
    </message>
    <message>
        <source>wavを探す</source>
        <translation>Locate Wave</translation>
    </message>
</context>
<context>
    <name>TWaveTable</name>
    <message>
        <source>ファイル名</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>周波数(Hz)</source>
        <translation>Rate (Hz)</translation>
    </message>
    <message>
        <source>長さ(msec)</source>
        <translation>Length (ms)</translation>
    </message>
    <message>
        <source>サンプル数</source>
        <translation>Samples</translation>
    </message>
    <message>
        <source>ループ始点</source>
        <translation>Loop Start</translation>
    </message>
    <message>
        <source>ループ終点</source>
        <translation>Loop End</translation>
    </message>
    <message>
        <source> (%1 から変換)</source>
        <translation> (converted from %1)</translation>
    </message>
    <message>
        <source>ファイルがヘッダの示す長さより短いため、%1 サンプルのうち %2 サンプルだけを読み込みました</source>
        <translation>The file is shorter than its header claims: %2 of %1 samples were read</translation>
    </message>
    <message>
        <source>継ぎ目</source>
        <translation>Seam</translation>
    </message>
    <message>
        <source> (見つかりません)</source>
        <translation> (not found)</translation>
    </message>
</context>
<context>
    <name>UserGuide</name>
    <message>
        <source>Vantrel の使い方</source>
        <translation>Vantrel User Guide</translation>
    </message>
    <message>
        <source>「%1」を開けません</source>
        <translation>Cannot open "%1"</translation>
    </message>
</context>
<context>
    <name>PoorSeams</name>
    <message>
        <source>エクスポート</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>このリストでは常にエクスポート</source>
        <translation>Always for This List</translation>
    </message>
    <message>
        <source>次の wav のループの継ぎ目は不良です。エクスポートしますか？
%1</source>
        <translation>The loop seams of these waves are rated poor. Export anyway?
%1</translation>
    </message>
</context>
</TS>
