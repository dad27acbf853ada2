<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>zel::gui::CMainFrame</name>
    <message>
        <source>&amp;Open...	Ctrl+O</source>
        <translation>開く(&amp;O)...	Ctrl+O</translation>
    </message>
    <message>
        <source>Open an existing movie</source>
        <translation>既存の動画ファイルを開きます</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>開く</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>閉じる(&amp;C)</translation>
    </message>
    <message>
        <source>Close the active movie</source>
        <translation>作業中の動画ファイルを閉じます</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
    <message>
        <source>&amp;Save	Ctrl+S</source>
        <translation>上書き保存(&amp;S)	Ctrl+S</translation>
    </message>
    <message>
        <source>Conversion to 16 bits TIFF</source>
        <translation>16ビットTIFFへの変換</translation>
    </message>
    <message>
        <source>Convert to TIFF</source>
        <translation>TIFF変換</translation>
    </message>
    <message>
        <source>&amp;Print...	Ctrl+P</source>
        <translation>印刷(&amp;P)...	Ctrl+P</translation>
    </message>
    <message>
        <source>Print the active view</source>
        <translation>作業中のビューを印刷します</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>印刷</translation>
    </message>
    <message>
        <source>Print Pre&amp;view</source>
        <translation>印刷プレビュー(&amp;V)</translation>
    </message>
    <message>
        <source>Display full pages</source>
        <translation>ページ全体を表示します</translation>
    </message>
    <message>
        <source>Print Preview</source>
        <translation>印刷プレビュー</translation>
    </message>
    <message>
        <source>P&amp;rint Setup...</source>
        <translation>プリンタの設定(&amp;R)...</translation>
    </message>
    <message>
        <source>Change the printer and printing options</source>
        <translation>プリンタおよび印刷オプションを変更します</translation>
    </message>
    <message>
        <source>Print Setup</source>
        <translation>プリンタの設定</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>アプリケーションの終了(&amp;X)</translation>
    </message>
    <message>
        <source>Quit the application</source>
        <translation>アプリケーションを終了します</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>終了</translation>
    </message>
    <message>
        <source>&amp;Undo	Ctrl+Z</source>
        <translation>元に戻す(&amp;U)	Ctrl+Z</translation>
    </message>
    <message>
        <source>Undo the last action</source>
        <translation>直前の操作を元に戻します</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>元に戻す</translation>
    </message>
    <message>
        <source>Cu&amp;t	Ctrl+X</source>
        <translation>切り取り(&amp;T)	Ctrl+X</translation>
    </message>
    <message>
        <source>Cut the selection and put it on the Clipboard</source>
        <translation>選択範囲を切り取ってクリップボードに移動します</translation>
    </message>
    <message>
        <source>Cut</source>
        <translation>切り取り</translation>
    </message>
    <message>
        <source>&amp;Copy	Ctrl+C</source>
        <translation>コピー(&amp;C)	Ctrl+C</translation>
    </message>
    <message>
        <source>Copy the selection and put it on the Clipboard</source>
        <translation>選択範囲をコピーしてクリップボードに保存します</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>コピー</translation>
    </message>
    <message>
        <source>&amp;Paste	Ctrl+V</source>
        <translation>貼り付け(&amp;P)	Ctrl+V</translation>
    </message>
    <message>
        <source>Insert Clipboard contents</source>
        <translation>クリップボードの内容を貼り付けます</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>貼り付け</translation>
    </message>
    <message>
        <source>&amp;Toolbar</source>
        <translation>ツール バー(&amp;T)</translation>
    </message>
    <message>
        <source>Show or hide the toolbar</source>
        <translation>ツール バーの表示/非表示を切り替えます</translation>
    </message>
    <message>
        <source>Toggle Toolbar</source>
        <translation>ツール バーの表示/非表示</translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation>ステータス バー(&amp;S)</translation>
    </message>
    <message>
        <source>Show or hide the status bar</source>
        <translation>ステータス バーの表示/非表示を切り替えます</translation>
    </message>
    <message>
        <source>Toggle Status Bar</source>
        <translation>ステータス バーの表示/非表示</translation>
    </message>
    <message>
        <source>&amp;New Window</source>
        <translation>新しいウィンドウを開く(&amp;N)</translation>
    </message>
    <message>
        <source>Open another window for the active movie</source>
        <translation>作業中の動画ファイルを別のウィンドウで開きます</translation>
    </message>
    <message>
        <source>New Window</source>
        <translation>新しいウィンドウ</translation>
    </message>
    <message>
        <source>&amp;Cascade</source>
        <translation>重ねて表示(&amp;C)</translation>
    </message>
    <message>
        <source>Arrange windows so they overlap</source>
        <translation>ウィンドウを重ねて表示します</translation>
    </message>
    <message>
        <source>Cascade Windows</source>
        <translation>重ねて表示</translation>
    </message>
    <message>
        <source>&amp;Tile</source>
        <translation>並べて表示(&amp;T)</translation>
    </message>
    <message>
        <source>Arrange windows as non-overlapping tiles</source>
        <translation>ウィンドウを並べて表示します</translation>
    </message>
    <message>
        <source>Tile Windows</source>
        <translation>並べて表示</translation>
    </message>
    <message>
        <source>&amp;Arrange Icons</source>
        <translation>アイコンの整列(&amp;A)</translation>
    </message>
    <message>
        <source>Arrange icons at the bottom of the window</source>
        <translation>ウィンドウの下にアイコンを整列します</translation>
    </message>
    <message>
        <source>Arrange Icons</source>
        <translation>アイコンの整列</translation>
    </message>
    <message>
        <source>&amp;About ZelTiff16...</source>
        <translation>バージョン情報 ZelTiff16(&amp;A)...</translation>
    </message>
    <message>
        <source>Display program information and version</source>
        <translation>プログラム情報、バージョンを表示します</translation>
    </message>
    <message>
        <source>About</source>
        <translation>バージョン情報</translation>
    </message>
    <message>
        <source>Zoom Fit</source>
        <translation>ウィンドウに合わせる</translation>
    </message>
    <message>
        <source>Fit the image to the window</source>
        <translation>画像をウィンドウに合わせて表示します</translation>
    </message>
    <message>
        <source>Zoom 1</source>
        <translation>等倍</translation>
    </message>
    <message>
        <source>Zoom2</source>
        <translation>2倍</translation>
    </message>
    <message>
        <source>Zoom 2</source>
        <translation>2倍</translation>
    </message>
    <message>
        <source>Zoom4</source>
        <translation>4倍</translation>
    </message>
    <message>
        <source>Zoom 4</source>
        <translation>4倍</translation>
    </message>
    <message>
        <source>Zoom8</source>
        <translation>8倍</translation>
    </message>
    <message>
        <source>Zoom 8</source>
        <translation>8倍</translation>
    </message>
    <message>
        <source>Zoom16</source>
        <translation>16倍</translation>
    </message>
    <message>
        <source>Zoom 16</source>
        <translation>16倍</translation>
    </message>
    <message>
        <source>Gain Auto</source>
        <translation>ゲイン自動</translation>
    </message>
    <message>
        <source>Auto Gain</source>
        <translation>自動ゲイン</translation>
    </message>
    <message>
        <source> Auto Gain</source>
        <translation> 自動ゲイン</translation>
    </message>
    <message>
        <source>Gain1</source>
        <translation>ゲイン1</translation>
    </message>
    <message>
        <source>Gain2</source>
        <translation>ゲイン2</translation>
    </message>
    <message>
        <source>Gain4</source>
        <translation>ゲイン4</translation>
    </message>
    <message>
        <source>Gain8</source>
        <translation>ゲイン8</translation>
    </message>
    <message>
        <source>Gain16</source>
        <translation>ゲイン16</translation>
    </message>
    <message>
        <source>Gain32</source>
        <translation>ゲイン32</translation>
    </message>
    <message>
        <source>Gain64</source>
        <translation>ゲイン64</translation>
    </message>
    <message>
        <source>Point</source>
        <translation>ポイント</translation>
    </message>
    <message>
        <source>Read the value under the cursor</source>
        <translation>カーソル位置の値を表示します</translation>
    </message>
    <message>
        <source>Profile</source>
        <translation>プロファイル</translation>
    </message>
    <message>
        <source>Draw a profile line</source>
        <translation>プロファイル線を引きます</translation>
    </message>
    <message>
        <source>Profile Data Save</source>
        <translation>プロファイルデータ保存</translation>
    </message>
    <message>
        <source>Record the profile over the frame range</source>
        <translation>変換区間のプロファイルを記録します</translation>
    </message>
    <message>
        <source>Black Balance</source>
        <translation>黒バランス</translation>
    </message>
    <message>
        <source>Subtract the dark level of a reference movie</source>
        <translation>参照動画の黒レベルを差し引きます</translation>
    </message>
    <message>
        <source>AOI</source>
        <translation>AOI</translation>
    </message>
    <message>
        <source>Draw an area of interest</source>
        <translation>AOIを指定します</translation>
    </message>
    <message>
        <source>AOI Data Save</source>
        <translation>AOIデータ保存</translation>
    </message>
    <message>
        <source>Record the AOI statistics over the frame range</source>
        <translation>変換区間のAOI統計を記録します</translation>
    </message>
    <message>
        <source>Save AOI Data</source>
        <translation>AOIデータ保存</translation>
    </message>
    <message>
        <source>AOI Histogram</source>
        <translation>AOIヒストグラム</translation>
    </message>
    <message>
        <source>Show the histogram of the AOI in the current frame</source>
        <translation>現在のフレームのAOIのヒストグラムを表示します</translation>
    </message>
    <message>
        <source>FPN Data Display</source>
        <translation>FPNデータ表示</translation>
    </message>
    <message>
        <source>FPN Disp</source>
        <translation>FPN表示</translation>
    </message>
    <message>
        <source>Gain Data Display</source>
        <translation>ゲインデータ表示</translation>
    </message>
    <message>
        <source>Gain Disp</source>
        <translation>ゲイン表示</translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation>ツール バー</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>ファイル(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>編集(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>表示(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Window</source>
        <translation>ウィンドウ(&amp;W)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>ヘルプ(&amp;H)</translation>
    </message>
    <message>
        <source>Open this movie</source>
        <translation>この動画ファイルを開きます</translation>
    </message>
    <message>
        <source>Conversion stopped: %1</source>
        <translation>変換を中止しました: %1</translation>
    </message>
    <message>
        <source>An export cannot start while a run is in progress</source>
        <translation>再生・変換中はデータ保存を開始できません</translation>
    </message>
    <message>
        <source>frame caption</source>
        <translation>フレーム表示</translation>
    </message>
    <message>
        <source>AOI statistics</source>
        <translation>AOI統計</translation>
    </message>
    <message>
        <source>cursor position</source>
        <translation>カーソル位置</translation>
    </message>
    <message>
        <source>pixel value</source>
        <translation>画素値</translation>
    </message>
    <message>
        <source>kana lock</source>
        <translation>かなロック</translation>
    </message>
    <message>
        <source>caps lock</source>
        <translation>Caps Lock</translation>
    </message>
    <message>
        <source>num lock</source>
        <translation>Num Lock</translation>
    </message>
    <message>
        <source>scroll lock</source>
        <translation>Scroll Lock</translation>
    </message>
    <message>
        <source>Playback stopped: %1</source>
        <translation>再生を中止しました: %1</translation>
    </message>
    <message>
        <source>Playback not started: %1</source>
        <translation>再生を開始できません: %1</translation>
    </message>
    <message>
        <source>Playback not started: %1: the movie does not record its frame rate, so it cannot play at a fraction of real time; choose another rate</source>
        <translation>再生を開始できません: %1: 動画にフレームレートが記録されていないため、実時間を基準にした速度では再生できません。別の速度を選んでください</translation>
    </message>
    <message numerus="yes">
        <source>Playback: %n frame(s) skipped</source>
        <translation>
            <numerusform>再生: %n フレームを飛ばしました</numerusform>
        </translation>
    </message>
    <message>
        <source>Conversion not started</source>
        <translation>変換を開始できません</translation>
    </message>
    <message>
        <source>Conversion stopped: %1 (%2 before it, complete)</source>
        <translation>変換を中止しました: %1（それまでの %2 は完全です）</translation>
    </message>
    <message>
        <source>Profile data not saved</source>
        <translation>プロファイルデータを保存していません</translation>
    </message>
    <message>
        <source>AOI data not saved</source>
        <translation>AOI データを保存していません</translation>
    </message>
    <message>
        <source>Kymograph...</source>
        <translation>キモグラフ...</translation>
    </message>
    <message>
        <source>Show the profile line over the frame range as an image, a row per frame</source>
        <translation>変換区間のプロファイル線を、1 フレーム 1 行の画像で表示します</translation>
    </message>
    <message>
        <source>Kymograph</source>
        <translation>キモグラフ</translation>
    </message>
    <message>
        <source>Kymograph not made</source>
        <translation>キモグラフを作成していません</translation>
    </message>
    <message>
        <source>Kymograph stopped before the end of the range; nothing is shown</source>
        <translation>キモグラフは区間の終わりの前に中止されました。何も表示しません</translation>
    </message>
    <message>
        <source>Kymograph done: %1 frames x %2 samples</source>
        <translation>キモグラフ完了: %1 フレーム x %2 サンプル</translation>
    </message>
</context>
<context>
    <name>zel::gui::CControlBar</name>
    <message>
        <source>Control Bar</source>
        <translation>コントロール バー</translation>
    </message>
    <message>
        <source>Identical Frames</source>
        <translation>変換区間</translation>
    </message>
    <message>
        <source>All Frames</source>
        <translation>全区間</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>開始</translation>
    </message>
    <message>
        <source>End</source>
        <translation>終了</translation>
    </message>
    <message>
        <source>Specify a Frame Period for TIFF Conversion</source>
        <translation>TIFF変換区間指定</translation>
    </message>
    <message>
        <source>All Frame Conversion</source>
        <translation>全区間指定</translation>
    </message>
    <message>
        <source>Start Frame of Conversion/Playback</source>
        <translation>動画再生・TIFF変換開始ﾌﾚｰﾑ</translation>
    </message>
    <message>
        <source>End Frame of Conversion/Playback</source>
        <translation>動画再生・TIFF変換終了ﾌﾚｰﾑ</translation>
    </message>
    <message>
        <source>Back to Top Frame</source>
        <translation>先頭画像表示</translation>
    </message>
    <message>
        <source>Playback Display</source>
        <translation>動画再生</translation>
    </message>
    <message>
        <source>Abort Conversion/Playback</source>
        <translation>動画再生・TIFF変換中止</translation>
    </message>
    <message>
        <source>Step One Frame Back</source>
        <translation>1フレーム戻る</translation>
    </message>
    <message>
        <source>Step One Frame Forward</source>
        <translation>1フレーム進む</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>進行状況</translation>
    </message>
</context>
<context>
    <name>zel::gui::CPlaybackBar</name>
    <message>
        <source>Playback</source>
        <translation>再生</translation>
    </message>
    <message>
        <source>As fast as possible</source>
        <translation>最高速</translation>
    </message>
    <message>
        <source>Real time ×1/10</source>
        <translation>実時間 ×1/10</translation>
    </message>
    <message>
        <source>Real time ×1/100</source>
        <translation>実時間 ×1/100</translation>
    </message>
    <message>
        <source>Real time ×1/1000</source>
        <translation>実時間 ×1/1000</translation>
    </message>
    <message>
        <source>25 fps</source>
        <translation>25 fps</translation>
    </message>
    <message>
        <source>30 fps</source>
        <translation>30 fps</translation>
    </message>
    <message>
        <source>60 fps</source>
        <translation>60 fps</translation>
    </message>
    <message>
        <source>Playback rate</source>
        <translation>再生速度</translation>
    </message>
    <message>
        <source>Every frame</source>
        <translation>全フレーム</translation>
    </message>
    <message>
        <source>Show every frame, even when playback then runs slower than the rate chosen</source>
        <translation>選んだ速度より遅くなっても、すべてのフレームを表示します</translation>
    </message>
    <message>
        <source>Loop</source>
        <translation>ループ</translation>
    </message>
    <message>
        <source>Start over from the range&apos;s first frame after its last, until Abort</source>
        <translation>区間の最後のフレームの後、中止するまで最初のフレームから繰り返します</translation>
    </message>
    <message>
        <source>Frame</source>
        <translation>フレーム</translation>
    </message>
    <message>
        <source>The frame shown: drag, or use the arrow, Page Up/Down, Home and End keys</source>
        <translation>表示するフレーム: ドラッグするか、矢印・Page Up/Down・Home・End キーで選びます</translation>
    </message>
    <message>
        <source>This movie does not record its frame rate: it cannot play at a fraction of real time</source>
        <translation>この動画にはフレームレートが記録されていないため、実時間を基準にした速度では再生できません</translation>
    </message>
</context>
<context>
    <name>zel::gui::CZelTiff16App</name>
    <message>
        <source>Failed to open document.</source>
        <translation>ドキュメントを開くことに失敗しました。</translation>
    </message>
    <message>
        <source>%1: opened without correction: %2</source>
        <translation>%1: 補正なしで開きました: %2</translation>
    </message>
    <message>
        <source>Cannot open %1: %2</source>
        <translation>%1 を開けません: %2</translation>
    </message>
</context>
<context>
    <name>zel::gui::CZelfView</name>
    <message>
        <source>Image view</source>
        <translation>画像表示</translation>
    </message>
    <message>
        <source>%1 is the movie being read; choose another file</source>
        <translation>%1 は読み込み中の動画ファイルです。別のファイルを選んでください</translation>
    </message>
    <message>
        <source>Black balance not applied: %1</source>
        <translation>黒バランスを適用できません: %1</translation>
    </message>
</context>
<context>
    <name>zel::gui::CGraphDlg</name>
    <message>
        <source>Profile</source>
        <translation>プロファイル</translation>
    </message>
</context>
<context>
    <name>zel::gui::CProfileDlg</name>
    <message>
        <source>Profile graph</source>
        <translation>プロファイルグラフ</translation>
    </message>
    <message>
        <source>Profile : %1</source>
        <translation>Profile : %1</translation>
    </message>
    <message>
        <source>Position (px)</source>
        <translation>位置 (px)</translation>
    </message>
    <message>
        <source>Position (%1)</source>
        <translation>位置 (%1)</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>値</translation>
    </message>
    <message>
        <source>Position and value of the marked sample</source>
        <translation>印を付けたサンプルの位置と値</translation>
    </message>
    <message>
        <source>&amp;Fit to data</source>
        <translation>データに合わせる(&amp;F)</translation>
    </message>
    <message>
        <source>Fit to data</source>
        <translation>データに合わせる</translation>
    </message>
    <message>
        <source>Scale the values to the samples shown instead of the movie&apos;s full range (F)</source>
        <translation>値の範囲を動画の全範囲ではなく表示中のサンプルに合わせます (F)</translation>
    </message>
    <message>
        <source>Sample %1: %2 px = %3 %4, value %5</source>
        <translation>サンプル %1: %2 px = %3 %4、値 %5</translation>
    </message>
    <message>
        <source>Sample %1: %2 px, value %3</source>
        <translation>サンプル %1: %2 px、値 %3</translation>
    </message>
</context>
<context>
    <name>zel::gui::CAboutDlg</name>
    <message>
        <source>About ZelTiff16</source>
        <translation>バージョン情報 ZelTiff16</translation>
    </message>
    <message>
        <source>ZelTiff16 Version</source>
        <translation>ZelTiff16 Vesion</translation>
    </message>
</context>
<context>
    <name>zel::gui::CKymographWindow</name>
    <message>
        <source>Kymograph - %1</source>
        <translation>キモグラフ - %1</translation>
    </message>
    <message>
        <source>Frames %1 to %2 along (%3, %4) - (%5, %6): %7 samples x %8 frames</source>
        <translation>フレーム %1 から %2、(%3, %4) - (%5, %6) に沿って: %7 サンプル x %8 フレーム</translation>
    </message>
    <message>
        <source>Kymograph image</source>
        <translation>キモグラフ画像</translation>
    </message>
    <message>
        <source>One row per frame, top row the first frame; grey from the lowest to the highest sample</source>
        <translation>1 フレーム 1 行、最上行が最初のフレーム。最小から最大のサンプルまでを灰色の濃淡で表示</translation>
    </message>
    <message>
        <source>&amp;Save...</source>
        <translation>保存(&amp;S)...</translation>
    </message>
    <message>
        <source>Save the kymograph as a 16-bit TIFF file</source>
        <translation>キモグラフを 16 ビット TIFF ファイルとして保存します</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
    <message>
        <source>Kymograph not saved: %1</source>
        <translation>キモグラフを保存していません: %1</translation>
    </message>
    <message>
        <source>Kymograph saved in %1</source>
        <translation>キモグラフを %1 に保存しました</translation>
    </message>
</context>
<context>
    <name>zel::gui::CHistogramDlg</name>
    <message>
        <source>Histogram</source>
        <translation>ヒストグラム</translation>
    </message>
    <message>
        <source>Figures of the AOI in the current frame</source>
        <translation>現在のフレームのAOIの統計値</translation>
    </message>
    <message>
        <source>&amp;Log scale</source>
        <translation>対数目盛(&amp;L)</translation>
    </message>
    <message>
        <source>Log scale</source>
        <translation>対数目盛</translation>
    </message>
    <message>
        <source>Show the counts on a logarithmic scale (Alt+L)</source>
        <translation>度数を対数目盛で表示します (Alt+L)</translation>
    </message>
    <message>
        <source>No movie window is active.</source>
        <translation>動画ウィンドウがアクティブではありません。</translation>
    </message>
    <message>
        <source>No AOI: turn on the AOI tool in the movie&apos;s window.</source>
        <translation>AOIがありません: 動画ウィンドウでAOIツールをオンにしてください。</translation>
    </message>
    <message>
        <source>No AOI</source>
        <translation>AOIなし</translation>
    </message>
    <message>
        <source>Frame %1, AOI (%2, %3) %4 (%5, %6)</source>
        <translation>フレーム %1、AOI (%2, %3) %4 (%5, %6)</translation>
    </message>
    <message>
        <source>n</source>
        <translation>n</translation>
    </message>
    <message>
        <source>mean</source>
        <translation>平均</translation>
    </message>
    <message>
        <source>std</source>
        <translation>標準偏差</translation>
    </message>
    <message>
        <source>min</source>
        <translation>最小</translation>
    </message>
    <message>
        <source>max</source>
        <translation>最大</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>赤</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>緑</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>青</translation>
    </message>
    <message>
        <source>Grey</source>
        <translation>グレー</translation>
    </message>
    <message>
        <source>%1 bins of %2 values over 0..%3</source>
        <translation>0..%3 を %2 値ずつ %1 区間</translation>
    </message>
    <message>
        <source>Outside 0..%1: %2 below, %3 above</source>
        <translation>0..%1 の範囲外: 下 %2、上 %3</translation>
    </message>
</context>
<context>
    <name>zel::gui::CHistogramGraph</name>
    <message>
        <source>Histogram graph</source>
        <translation>ヒストグラムグラフ</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>値</translation>
    </message>
    <message>
        <source>Count (log scale)</source>
        <translation>度数 (対数目盛)</translation>
    </message>
    <message>
        <source>Count</source>
        <translation>度数</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>赤</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>緑</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>青</translation>
    </message>
</context>
<context>
    <name>zel::gui::CMessageBar</name>
    <message>
        <source>Messages</source>
        <translation>メッセージ</translation>
    </message>
    <message>
        <source>Dismiss</source>
        <translation>閉じる</translation>
    </message>
    <message>
        <source>Dismiss these messages</source>
        <translation>これらのメッセージを閉じます</translation>
    </message>
</context>
<context>
    <name>Problem</name>
    <message>
        <source>the file is shorter than the 512-byte movie header</source>
        <translation>ファイルが動画ヘッダー（512 バイト）より短いです</translation>
    </message>
    <message>
        <source>not a movie file (the header does not start with &quot;ZELF&quot;)</source>
        <translation>動画ファイルではありません（ヘッダーが &quot;ZELF&quot; で始まっていません）</translation>
    </message>
    <message>
        <source>the file is too short to hold its first frame (%1 bytes)</source>
        <translation>ファイルが短すぎて最初のフレーム（%1 バイト）を収められません</translation>
    </message>
    <message>
        <source>frame %1 cannot be read</source>
        <translation>フレーム %1 を読み込めません</translation>
    </message>
    <message>
        <source>frame range %1..%2 lies outside the movie&apos;s frames 0..%3</source>
        <translation>フレーム区間 %1..%2 は動画のフレーム 0..%3 の範囲外です</translation>
    </message>
    <message>
        <source>the movie has no frames</source>
        <translation>動画にフレームがありません</translation>
    </message>
    <message>
        <source>no AOI has been drawn; draw one with the AOI tool first</source>
        <translation>AOI が描かれていません。先に AOI ツールで描いてください</translation>
    </message>
    <message>
        <source>no profile line has been drawn; draw one with the Profile tool first</source>
        <translation>プロファイル線が描かれていません。先にプロファイルツールで描いてください</translation>
    </message>
    <message>
        <source>cannot open the file: %1</source>
        <translation>ファイルを開けません: %1</translation>
    </message>
    <message>
        <source>%1 is the movie being read; it is never overwritten</source>
        <translation>%1 は読み込み中の動画です。上書きしません</translation>
    </message>
    <message>
        <source>the profile line starts and ends at (%1, %2): it has no samples; draw it between two different points</source>
        <translation>プロファイル線の始点と終点がどちらも (%1, %2) で、サンプルがありません。異なる 2 点の間に引いてください</translation>
    </message>
    <message>
        <source>a kymograph of %1 frames x %2 samples is too large: at most 65535 frames, 65535 samples and 1 GiB in all; choose a shorter frame range or line</source>
        <translation>%1 フレーム x %2 サンプルのキモグラフは大きすぎます（上限は 65535 フレーム、65535 サンプル、合計 1 GiB）。短いフレーム区間か線を選んでください</translation>
    </message>
    <message>
        <source>not enough memory for a kymograph of %1 frames x %2 samples</source>
        <translation>%1 フレーム x %2 サンプルのキモグラフに必要なメモリーが足りません</translation>
    </message>
</context>
<context>
    <name>zel::gui::CCalibrationDlg</name>
    <message>
        <source>Calibration</source>
        <translation>キャリブレーション</translation>
    </message>
    <message>
        <source>&amp;Pixel size known</source>
        <translation>画素サイズが分かっている(&amp;P)</translation>
    </message>
    <message>
        <source>Pixel size</source>
        <translation>画素サイズ</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>単位</translation>
    </message>
    <message>
        <source>&amp;Size of one pixel:</source>
        <translation>1 画素の大きさ(&amp;S):</translation>
    </message>
    <message>
        <source>&amp;Unit:</source>
        <translation>単位(&amp;U):</translation>
    </message>
    <message>
        <source>Kept for this movie: profile positions, AOI sizes, tables and stacks use it.</source>
        <translation>この動画について記憶されます。プロファイルの位置、AOI の大きさ、表とスタックに使われます。</translation>
    </message>
</context>
<context>
    <name>zel::gui::CMainFrame</name>
    <message>
        <source>Calibration...</source>
        <translation>キャリブレーション...</translation>
    </message>
    <message>
        <source>Set the size of one pixel on the object for this movie</source>
        <translation>この動画の 1 画素が被写体上で占める大きさを設定します</translation>
    </message>
    <message>
        <source>Calibration</source>
        <translation>キャリブレーション</translation>
    </message>
    <message>
        <source>Pixel size: %1 %2</source>
        <translation>画素サイズ: %1 %2</translation>
    </message>
    <message>
        <source>Pixel size not known: lengths in pixels</source>
        <translation>画素サイズ未設定: 長さは画素単位</translation>
    </message>
</context>
<context>
    <name>AoiSummaryText</name>
    <message>
        <source>n = %1, mean = %2, std = %3, min = %4, max = %5</source>
        <translation>n = %1、平均 = %2、標準偏差 = %3、最小 = %4、最大 = %5</translation>
    </message>
    <message>
        <source>AOI %1 x %2 px</source>
        <translation>AOI %1 x %2 画素</translation>
    </message>
</context>
<context>
    <name>StandardDialogs</name>
    <message>
        <source>Table for analysis tools, a row per frame (*.csv)</source>
        <translation>解析ツール用の表、1 フレーム 1 行 (*.csv)</translation>
    </message>
</context>
<context>
    <name>Problem</name>
    <message>
        <source>&quot;%1&quot; is not a pixel size: give a positive number and a unit (nm, um, mm, cm, m or in), e.g. 12.5um</source>
        <translation>"%1" は画素サイズではありません。正の数と単位 (nm、um、mm、cm、m、in) で指定してください。例: 12.5um</translation>
    </message>
</context>
<context>
    <name>zel::gui::CVideoExportDlg</name>
    <message>
        <source>Export Video</source>
        <translation>動画の書き出し</translation>
    </message>
    <message>
        <source>Video file</source>
        <translation>動画ファイル</translation>
    </message>
    <message>
        <source>&amp;Browse...</source>
        <translation>参照(&amp;B)...</translation>
    </message>
    <message>
        <source>&amp;File:</source>
        <translation>ファイル(&amp;F):</translation>
    </message>
    <message>
        <source>H.264 (.mp4): the window's rendering, to watch and show</source>
        <translation>H.264 (.mp4): ウィンドウの表示のまま、観賞・発表用</translation>
    </message>
    <message>
        <source>FFV1 (.mkv): lossless 16-bit, the TIFF files' values</source>
        <translation>FFV1 (.mkv): 可逆 16 ビット、TIFF ファイルと同じ値</translation>
    </message>
    <message>
        <source>Format</source>
        <translation>形式</translation>
    </message>
    <message>
        <source>F&amp;ormat:</source>
        <translation>形式(&amp;O):</translation>
    </message>
    <message>
        <source>&amp;Frames per second:</source>
        <translation>毎秒フレーム数(&amp;F):</translation>
    </message>
    <message>
        <source>Frames per second</source>
        <translation>毎秒フレーム数</translation>
    </message>
    <message>
        <source>&amp;Speed of the recording:</source>
        <translation>記録速度に対する倍率(&amp;S):</translation>
    </message>
    <message>
        <source>Speed of the recording</source>
        <translation>記録速度に対する倍率</translation>
    </message>
    <message>
        <source>x%1</source>
        <translation>x%1</translation>
    </message>
    <message>
        <source>The movie does not record its frame rate</source>
        <translation>この動画にはフレームレートが記録されていません</translation>
    </message>
    <message>
        <source>Gain %1</source>
        <translation>ゲイン %1</translation>
    </message>
    <message>
        <source>Gain Auto</source>
        <translation>ゲイン自動</translation>
    </message>
    <message>
        <source>Display gain</source>
        <translation>表示ゲイン</translation>
    </message>
    <message>
        <source>&amp;Gain:</source>
        <translation>ゲイン(&amp;G):</translation>
    </message>
    <message>
        <source>Frame &amp;number</source>
        <translation>フレーム番号(&amp;N)</translation>
    </message>
    <message>
        <source>&amp;Time from the trigger</source>
        <translation>トリガーからの時刻(&amp;T)</translation>
    </message>
    <message>
        <source>S&amp;cale bar</source>
        <translation>スケールバー(&amp;C)</translation>
    </message>
    <message>
        <source>Set the pixel size with View &gt; Calibration... first</source>
        <translation>先に 表示 &gt; キャリブレーション... で画素サイズを設定してください</translation>
    </message>
    <message>
        <source>Drawn into the frames:</source>
        <translation>フレームに描き込む:</translation>
    </message>
    <message>
        <source>Matroska video (*.mkv)</source>
        <translation>Matroska 動画 (*.mkv)</translation>
    </message>
    <message>
        <source>MP4 video (*.mp4)</source>
        <translation>MP4 動画 (*.mp4)</translation>
    </message>
</context>
<context>
    <name>zel::gui::CMainFrame</name>
    <message>
        <source>Export &amp;Video...</source>
        <translation>動画の書き出し(&amp;V)...</translation>
    </message>
    <message>
        <source>Write the frame range as one video file (H.264 or lossless FFV1)</source>
        <translation>フレーム区間を 1 つの動画ファイルに書き出します (H.264 または可逆 FFV1)</translation>
    </message>
    <message>
        <source>Export Video</source>
        <translation>動画の書き出し</translation>
    </message>
    <message>
        <source>Video not exported</source>
        <translation>動画を書き出していません</translation>
    </message>
    <message>
        <source>%1: this build has no video export (FFmpeg's libraries were not found when it was built)</source>
        <translation>%1: このビルドには動画の書き出しがありません (ビルド時に FFmpeg のライブラリが見つかりませんでした)</translation>
    </message>
    <message>
        <source>%1: %2; %3 was not written</source>
        <translation>%1: %2。%3 は書き出していません</translation>
    </message>
    <message>
        <source>Video export stopped by Abort after %1; %2 was not written</source>
        <translation>中止により %1 で動画の書き出しを止めました。%2 は書き出していません</translation>
    </message>
    <message>
        <source>Video written: %1 in %2</source>
        <translation>動画を書き出しました: %2 に %1</translation>
    </message>
    <message numerus="yes">
        <source>%n frame(s)</source>
        <translation>
            <numerusform>%n フレーム</numerusform>
        </translation>
    </message>
</context>
</TS>
