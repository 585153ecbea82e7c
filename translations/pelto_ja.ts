<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="en">
<context>
    <name>page</name>
    <message>
        <source>Paste a character code to see the character.</source>
        <translation>キャラクターコードを貼り付けるとキャラクターが表示されます。</translation>
    </message>
    <message>
        <source>Character code</source>
        <translation>キャラクターコード</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>表示</translation>
    </message>
    <message>
        <source>Copy code</source>
        <translation>コードをコピー</translation>
    </message>
    <message>
        <source>Character</source>
        <translation>キャラクター</translation>
    </message>
    <message>
        <source>Previous frame</source>
        <translation>前のコマ</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>一時停止</translation>
    </message>
    <message>
        <source>Next frame</source>
        <translation>次のコマ</translation>
    </message>
    <message>
        <source>Arrow keys turn the character; comma and period step the frames.</source>
        <translation>矢印キーで向きを変え、カンマとピリオドでコマ送りします。</translation>
    </message>
    <message>
        <source>Pose and look</source>
        <translation>ポーズと表示</translation>
    </message>
    <message>
        <source>Motion</source>
        <translation>モーション</translation>
    </message>
    <message>
        <source>Scale</source>
        <translation>倍率</translation>
    </message>
    <message>
        <source>Shadow</source>
        <translation>影</translation>
    </message>
    <message>
        <source>Background</source>
        <translation>背景</translation>
    </message>
    <message>
        <source>Transparent</source>
        <translation>透過</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>適用</translation>
    </message>
    <message>
        <source>Download:</source>
        <translation>ダウンロード:</translation>
    </message>
    <message>
        <source>Link to this character</source>
        <translation>このキャラクターへのリンク</translation>
    </message>
    <message>
        <source>Copy link</source>
        <translation>リンクをコピー</translation>
    </message>
    <message>
        <source>Dress-up</source>
        <translation>着せ替え</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>元に戻す</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>やり直し</translation>
    </message>
    <message>
        <source>Random outfit</source>
        <translation>ランダム装備</translation>
    </message>
    <message>
        <source>Random colors</source>
        <translation>ランダムカラー</translation>
    </message>
    <message>
        <source>Equipment</source>
        <translation>装備</translation>
    </message>
    <message>
        <source>Head</source>
        <translation>頭</translation>
    </message>
    <message>
        <source>Lock Head</source>
        <translation>頭を固定</translation>
    </message>
    <message>
        <source>Body</source>
        <translation>体</translation>
    </message>
    <message>
        <source>Lock Body</source>
        <translation>体を固定</translation>
    </message>
    <message>
        <source>Hand</source>
        <translation>手</translation>
    </message>
    <message>
        <source>Lock Hand</source>
        <translation>手を固定</translation>
    </message>
    <message>
        <source>Arm</source>
        <translation>腕</translation>
    </message>
    <message>
        <source>Lock Arm</source>
        <translation>腕を固定</translation>
    </message>
    <message>
        <source>Shoes</source>
        <translation>足</translation>
    </message>
    <message>
        <source>Lock Shoes</source>
        <translation>足を固定</translation>
    </message>
    <message>
        <source>Special</source>
        <translation>特殊</translation>
    </message>
    <message>
        <source>Lock Special</source>
        <translation>特殊を固定</translation>
    </message>
    <message>
        <source>Colors</source>
        <translation>カラー</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>デフォルト</translation>
    </message>
    <message>
        <source>Bonuses</source>
        <translation>ボーナス</translation>
    </message>
    <message>
        <source>Worn items</source>
        <translation>装備中のアイテム</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
    <message>
        <source>Find item</source>
        <translation>アイテム検索</translation>
    </message>
    <message>
        <source>Bonus</source>
        <translation>ボーナス</translation>
    </message>
    <message>
        <source>Sort</source>
        <translation>並び順</translation>
    </message>
    <message>
        <source>Pictures drawn from the game&apos;s own files by the PELTO render service.</source>
        <translation>画像はPELTOレンダーサービスがゲーム自身のファイルから描いたものです。</translation>
    </message>
    <message>
        <source>Face back</source>
        <translation>後ろを向く</translation>
    </message>
    <message>
        <source>Face back-left</source>
        <translation>左後ろを向く</translation>
    </message>
    <message>
        <source>Face left</source>
        <translation>左を向く</translation>
    </message>
    <message>
        <source>Face front-left</source>
        <translation>左前を向く</translation>
    </message>
    <message>
        <source>Face front</source>
        <translation>前を向く</translation>
    </message>
    <message>
        <source>Face front-right</source>
        <translation>右前を向く</translation>
    </message>
    <message>
        <source>Face right</source>
        <translation>右を向く</translation>
    </message>
    <message>
        <source>Face back-right</source>
        <translation>右後ろを向く</translation>
    </message>
    <message>
        <source>facing back</source>
        <translation>後ろ向き</translation>
    </message>
    <message>
        <source>facing back-left</source>
        <translation>左後ろ向き</translation>
    </message>
    <message>
        <source>facing left</source>
        <translation>左向き</translation>
    </message>
    <message>
        <source>facing front-left</source>
        <translation>左前向き</translation>
    </message>
    <message>
        <source>facing front</source>
        <translation>前向き</translation>
    </message>
    <message>
        <source>facing front-right</source>
        <translation>右前向き</translation>
    </message>
    <message>
        <source>facing right</source>
        <translation>右向き</translation>
    </message>
    <message>
        <source>facing back-right</source>
        <translation>右後ろ向き</translation>
    </message>
    <message>
        <source>PNG (this frame)</source>
        <translation>PNG (このコマ)</translation>
    </message>
    <message>
        <source>Nothing worn.</source>
        <translation>何も装備していません。</translation>
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
        <source>Transparent PNG</source>
        <translation>透過PNG</translation>
    </message>
    <message>
        <source>Color %1</source>
        <translation>カラー%1</translation>
    </message>
    <message>
        <source>Lock color %1</source>
        <translation>カラー%1を固定</translation>
    </message>
    <message>
        <source>Color %1 %2</source>
        <translation>カラー%1 %2</translation>
    </message>
    <message>
        <source>Link copied.</source>
        <translation>リンクをコピーしました。</translation>
    </message>
    <message>
        <source>Code copied.</source>
        <translation>コードをコピーしました。</translation>
    </message>
    <message>
        <source>Character: %1</source>
        <translation>キャラクター: %1</translation>
    </message>
    <message>
        <source>Colors back to default.</source>
        <translation>カラーをデフォルトに戻しました。</translation>
    </message>
    <message>
        <source>Color %1: %2</source>
        <translation>カラー%1: %2</translation>
    </message>
    <message>
        <source>Random outfit.</source>
        <translation>ランダムに装備しました。</translation>
    </message>
    <message>
        <source>Random colors.</source>
        <translation>ランダムに色を付けました。</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1 taken off.</source>
        <translation>%1を外しました。</translation>
    </message>
    <message>
        <source>The service cannot be reached.</source>
        <translation>サービスに接続できません。</translation>
    </message>
    <message>
        <source>No bonuses.</source>
        <translation>ボーナスなし</translation>
    </message>
    <message>
        <source>%1 (%2 frames)</source>
        <translation>%1 (%2コマ)</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>再生</translation>
    </message>
    <message>
        <source>Frame %1 of %2</source>
        <translation>コマ %1/%2</translation>
    </message>
    <message>
        <source>No frames</source>
        <translation>コマなし</translation>
    </message>
    <message>
        <source>Playing</source>
        <translation>再生中</translation>
    </message>
    <message>
        <source>Step %1.</source>
        <translation>手順 %1。</translation>
    </message>
    <message>
        <source>Select the text and copy it.</source>
        <translation>テキストを選択してコピーしてください。</translation>
    </message>
    <message>
        <source>Any bonus</source>
        <translation>ボーナス指定なし</translation>
    </message>
    <message>
        <source>With %1</source>
        <translation>%1あり</translation>
    </message>
    <message>
        <source>List order</source>
        <translation>リスト順</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>名前</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>Take the item off.</source>
        <translation>アイテムを外します。</translation>
    </message>
    <message>
        <source>%1 items</source>
        <translation>%1 件</translation>
    </message>
    <message>
        <source>Add to group</source>
        <translation>グループに追加</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>グループ</translation>
    </message>
    <message>
        <source>Members of the group</source>
        <translation>グループのメンバー</translation>
    </message>
    <message>
        <source>Gap</source>
        <translation>間隔</translation>
    </message>
    <message>
        <source>Backdrop</source>
        <translation>背景の種類</translation>
    </message>
    <message>
        <source>The background</source>
        <translation>背景色</translation>
    </message>
    <message>
        <source>A gradient</source>
        <translation>グラデーション</translation>
    </message>
    <message>
        <source>A picture...</source>
        <translation>画像...</translation>
    </message>
    <message>
        <source>The picture is larger than %1 MB.</source>
        <translation>画像が%1 MBを超えています。</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>上</translation>
    </message>
    <message>
        <source>Bottom</source>
        <translation>下</translation>
    </message>
    <message>
        <source>Name tag</source>
        <translation>名札</translation>
    </message>
    <message>
        <source>Name tag of %1</source>
        <translation>%1の名札</translation>
    </message>
    <message>
        <source>Mirror</source>
        <translation>左右反転</translation>
    </message>
    <message>
        <source>Scale, shadow and background are the ones set for the character.</source>
        <translation>倍率・影・背景はキャラクターに設定したものを使います。</translation>
    </message>
    <message>
        <source>The group picture cannot be drawn.</source>
        <translation>グループの画像を描けません。</translation>
    </message>
    <message>
        <source>Link to the group picture</source>
        <translation>グループの画像へのリンク</translation>
    </message>
    <message>
        <source>%1 added; the group is full.</source>
        <translation>%1を追加しました。グループは満員です。</translation>
    </message>
    <message>
        <source>%1 added to the group.</source>
        <translation>%1をグループに追加しました。</translation>
    </message>
    <message>
        <source>%1 taken out of the group.</source>
        <translation>%1をグループから外しました。</translation>
    </message>
    <message>
        <source>%1 is number %2.</source>
        <translation>%1は%2番目です。</translation>
    </message>
    <message>
        <source>%1 (number %2)</source>
        <translation>%1(%2番目)</translation>
    </message>
    <message>
        <source>A group holds at most %1 characters.</source>
        <translation>グループに入れられるのは%1キャラクターまでです。</translation>
    </message>
    <message>
        <source>Adds the character as it stands and faces now.</source>
        <translation>今のモーションと向きのままキャラクターを追加します。</translation>
    </message>
    <message>
        <source>Show a character first.</source>
        <translation>先にキャラクターを表示してください。</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 / %2</translation>
    </message>
    <message>
        <source>The group: %1</source>
        <translation>グループ: %1</translation>
    </message>
    <message>
        <source>Move %1 left</source>
        <translation>%1を左へ移動</translation>
    </message>
    <message>
        <source>Move %1 right</source>
        <translation>%1を右へ移動</translation>
    </message>
    <message>
        <source>Remove %1</source>
        <translation>%1を外す</translation>
    </message>
    <message>
        <source>Your game folder</source>
        <translation>ゲームフォルダー</translation>
    </message>
    <message>
        <source>Choose the folder of your Wonderland ONLINE installation, or drop it on this page. Its files never leave this computer: they are read here, in the browser, and nothing is uploaded.</source>
        <translation>インストールしたワンダーランドオンラインのフォルダーを選ぶか、このページにドロップしてください。ファイルはこのコンピューターから出ません。このブラウザーの中で読むだけで、何もアップロードしません。</translation>
    </message>
    <message>
        <source>Open game folder</source>
        <translation>ゲームフォルダーを開く</translation>
    </message>
    <message>
        <source>Remember this folder</source>
        <translation>このフォルダーを覚えておく</translation>
    </message>
    <message>
        <source>Drop the game folder here</source>
        <translation>ここにゲームフォルダーをドロップ</translation>
    </message>
    <message>
        <source>The link holds the character, not the game: whoever opens it opens their own game folder.</source>
        <translation>リンクが伝えるのはキャラクターだけで、ゲームは含みません。開く人は自分のゲームフォルダーを開きます。</translation>
    </message>
    <message>
        <source>Favorites</source>
        <translation>お気に入り</translation>
    </message>
    <message>
        <source>Save as favorite</source>
        <translation>お気に入りに保存</translation>
    </message>
    <message>
        <source>Import pelto.ini</source>
        <translation>pelto.ini を読み込む</translation>
    </message>
    <message>
        <source>Export pelto.ini</source>
        <translation>pelto.ini に書き出す</translation>
    </message>
    <message>
        <source>A new version of the studio is ready: it takes over the next time the studio is opened.</source>
        <translation>新しいバージョンの準備ができました。次にスタジオを開いたときから使われます。</translation>
    </message>
    <message>
        <source>Sheet and its JSON</source>
        <translation>シートと JSON</translation>
    </message>
    <message>
        <source>Bundle (ZIP)</source>
        <translation>一式 (ZIP)</translation>
    </message>
    <message>
        <source>Aseprite (layers)</source>
        <translation>Aseprite (レイヤー付き)</translation>
    </message>
    <message>
        <source>The picture cannot be drawn.</source>
        <translation>絵を描けません。</translation>
    </message>
    <message>
        <source>Open your game folder to see the character of this link.</source>
        <translation>このリンクのキャラクターを見るには、ゲームフォルダーを開いてください。</translation>
    </message>
    <message>
        <source>Reading the game folder…</source>
        <translation>ゲームフォルダーを読んでいます…</translation>
    </message>
    <message>
        <source>This folder does not exist.</source>
        <translation>このフォルダーは存在しません。</translation>
    </message>
    <message>
        <source>This folder has no jma folder.</source>
        <translation>このフォルダーには jma フォルダーがありません。</translation>
    </message>
    <message>
        <source>This folder has no pic folder.</source>
        <translation>このフォルダーには pic フォルダーがありません。</translation>
    </message>
    <message>
        <source>This folder has no data/Item.Dat.</source>
        <translation>このフォルダーには data/Item.Dat がありません。</translation>
    </message>
    <message>
        <source>Open another game folder</source>
        <translation>別のゲームフォルダーを開く</translation>
    </message>
    <message>
        <source>Game folder: %1</source>
        <translation>ゲームフォルダー: %1</translation>
    </message>
    <message>
        <source>Open %1 again</source>
        <translation>%1 をもう一度開く</translation>
    </message>
    <message>
        <source>The browser did not allow reading the folder.</source>
        <translation>ブラウザーがフォルダーの読み取りを許可しませんでした。</translation>
    </message>
    <message>
        <source>Making the file…</source>
        <translation>ファイルを作っています…</translation>
    </message>
    <message>
        <source>Downloaded %1.</source>
        <translation>%1 をダウンロードしました。</translation>
    </message>
    <message>
        <source>No favorites yet.</source>
        <translation>お気に入りはまだありません。</translation>
    </message>
    <message>
        <source>Show %1</source>
        <translation>%1 を表示</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>Delete %1</source>
        <translation>%1 を削除</translation>
    </message>
    <message>
        <source>The ten places are taken: delete a favorite first.</source>
        <translation>10 件すべて使われています。先にお気に入りを削除してください。</translation>
    </message>
    <message>
        <source>Saved favorite %1, %2.</source>
        <translation>お気に入り %1 に保存しました: %2</translation>
    </message>
    <message>
        <source>Favorite %1 deleted.</source>
        <translation>お気に入り「%1」を削除しました。</translation>
    </message>
    <message>
        <source>%1 favorites imported.</source>
        <translation>お気に入りを %1 件読み込みました。</translation>
    </message>
    <message>
        <source>Left out as damaged: %1.</source>
        <translation>破損していて読み込まなかったもの: %1</translation>
    </message>
    <message>
        <source>Pictures drawn in this browser from your own game files, which never leave this computer.</source>
        <translation>絵はこのブラウザーの中で、あなたのゲームのファイルから描いています。ファイルはこのコンピューターから出ません。</translation>
    </message>
    <message>
        <source>Preview: click to wear it.</source>
        <translation>試着中：クリックで着用します。</translation>
    </message>
    <message>
        <source>Sheet, bundle and Aseprite</source>
        <translation>シート・バンドル・Aseprite</translation>
    </message>
    <message>
        <source>Motions</source>
        <translation>モーション</translation>
    </message>
    <message>
        <source>Directions</source>
        <translation>向き</translation>
    </message>
    <message>
        <source>The direction shown</source>
        <translation>表示中の向き</translation>
    </message>
    <message>
        <source>All, in the game&apos;s order</source>
        <translation>すべて（ゲームの順）</translation>
    </message>
    <message>
        <source>All, in the engines&apos; order</source>
        <translation>すべて（ゲームエンジンの順）</translation>
    </message>
    <message>
        <source>Padding</source>
        <translation>余白</translation>
    </message>
    <message>
        <source>Extrude</source>
        <translation>にじみ出し</translation>
    </message>
    <message>
        <source>Without a motion ticked, the motion shown. Padding and extrude are for sheets and bundles.</source>
        <translation>モーションを選ばないときは表示中のモーションです。余白とにじみ出しはシートとバンドル用です。</translation>
    </message>
    <message>
        <source>Swatches</source>
        <translation>見本</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>カラー</translation>
    </message>
    <message>
        <source>Across</source>
        <translation>横方向</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>縦方向</translation>
    </message>
    <message>
        <source>Each swatch is the character at other levels; click one to take its levels.</source>
        <translation>見本はそれぞれ別の値のキャラクターです。クリックするとその値になります。</translation>
    </message>
    <message>
        <source>Try-on</source>
        <translation>試着</translation>
    </message>
    <message>
        <source>Color %1 %2: %3</source>
        <translation>カラー%1 %2: %3</translation>
    </message>
    <message>
        <source>Preview: %1</source>
        <translation>試着中: %1</translation>
    </message>
    <message>
        <source>None</source>
        <translation>なし</translation>
    </message>
</context>
<context>
    <name>pelto::CoreText</name>
    <message>
        <source>Specify the installed directory of WLO:</source>
        <translation>WLOのインストール先フォルダーを選んでください:</translation>
    </message>
    <message>
        <source>Bitmap (*.bmp)</source>
        <translation>ビットマップ (*.bmp)</translation>
    </message>
    <message>
        <source>Transparent PNG (*.png)</source>
        <translation>透過PNG (*.png)</translation>
    </message>
    <message>
        <source>Transparent GIF (*.gif)</source>
        <translation>透過GIF (*.gif)</translation>
    </message>
    <message>
        <source>Animated PNG (*.png)</source>
        <translation>アニメPNG (*.png)</translation>
    </message>
    <message>
        <source>Transparent animated PNG (*.png)</source>
        <translation>透過アニメPNG (*.png)</translation>
    </message>
    <message>
        <source>Animated WebP (*.webp)</source>
        <translation>アニメWebP (*.webp)</translation>
    </message>
    <message>
        <source>Transparent animated WebP (*.webp)</source>
        <translation>透過アニメWebP (*.webp)</translation>
    </message>
    <message>
        <source>Sprite sheet with JSON (*.png)</source>
        <translation>スプライトシート+JSON (*.png)</translation>
    </message>
    <message>
        <source>Transparent sprite sheet with JSON (*.png)</source>
        <translation>透過スプライトシート+JSON (*.png)</translation>
    </message>
    <message>
        <source>Stream read error</source>
        <translation>ストリームの読み取りエラー</translation>
    </message>
    <message>
        <source>Invalid code error.</source>
        <translation>無効なコードです。</translation>
    </message>
    <message>
        <source>Invalid bitmap.</source>
        <translation>無効なビットマップです。</translation>
    </message>
    <message>
        <source>Invalid pixel format.</source>
        <translation>無効なピクセル形式です。</translation>
    </message>
    <message>
        <source>The bitmap is too large for a BMP file</source>
        <translation>ビットマップが大きすぎて BMP ファイルにできません</translation>
    </message>
    <message>
        <source>Cannot encode the PNG image. Compression failed.</source>
        <translation>PNG 画像を作れません。圧縮に失敗しました。</translation>
    </message>
    <message>
        <source>Cannot encode the PNG image. %1</source>
        <translation>PNG 画像を作れません。%1</translation>
    </message>
    <message>
        <source>Cannot encode the GIF image. %1</source>
        <translation>GIF 画像を作れません。%1</translation>
    </message>
    <message>
        <source>Cannot encode the JPEG image. %1</source>
        <translation>JPEG 画像を作れません。%1</translation>
    </message>
    <message>
        <source>Cannot encode the WebP image. %1</source>
        <translation>WebP 画像を作れません。%1</translation>
    </message>
    <message>
        <source>Cannot open file &quot;%1&quot;. %2</source>
        <translation>ファイル「%1」を開けません。%2</translation>
    </message>
    <message>
        <source>Cannot create file &quot;%1&quot;. %2</source>
        <translation>ファイル「%1」を作成できません。%2</translation>
    </message>
    <message>
        <source>Cannot write file &quot;%1&quot;. It could not be read: %2</source>
        <translation>ファイル「%1」に書き込めません。読み取れませんでした: %2</translation>
    </message>
    <message>
        <source>Cannot write file &quot;%1&quot;. %2</source>
        <translation>ファイル「%1」に書き込めません。%2</translation>
    </message>
    <message>
        <source>This folder does not exist.</source>
        <translation>このフォルダーは存在しません。</translation>
    </message>
    <message>
        <source>This folder has no jma folder.</source>
        <translation>このフォルダーには jma フォルダーがありません。</translation>
    </message>
    <message>
        <source>This folder has no pic folder.</source>
        <translation>このフォルダーには pic フォルダーがありません。</translation>
    </message>
    <message>
        <source>This folder has no data/Item.Dat.</source>
        <translation>このフォルダーには data/Item.Dat がありません。</translation>
    </message>
    <message>
        <source>The Unicode normalization data cannot be loaded.</source>
        <translation>Unicode の正規化データを読み込めません。</translation>
    </message>
    <message>
        <source>The code is empty.</source>
        <translation>コードが空です。</translation>
    </message>
    <message>
        <source>It holds characters no code has: a code is made of letters, digits, + and /.</source>
        <translation>コードにない文字が含まれています。コードは英字・数字・+・/ でできています。</translation>
    </message>
    <message>
        <source>It is too short: a code has at least 12 characters.</source>
        <translation>短すぎます。コードは12文字以上です。</translation>
    </message>
    <message>
        <source>It is too long: a code has at most 28 characters.</source>
        <translation>長すぎます。コードは28文字以内です。</translation>
    </message>
    <message>
        <source>Its check does not match: a character was mistyped, added or lost.</source>
        <translation>チェックが合いません。文字の打ち間違い・余分・抜けがあります。</translation>
    </message>
    <message>
        <source>It ends before the items it names.</source>
        <translation>指定した装備の途中で終わっています。</translation>
    </message>
    <message>
        <source>It names none of the characters.</source>
        <translation>どのキャラクターも指定していません。</translation>
    </message>
    <message>
        <source>Bundle (ZIP) (*.zip)</source>
        <translation>バンドル (ZIP) (*.zip)</translation>
    </message>
    <message>
        <source>Transparent bundle (ZIP) (*.zip)</source>
        <translation>透過バンドル (ZIP) (*.zip)</translation>
    </message>
    <message>
        <source>Layered Aseprite (*.aseprite)</source>
        <translation>レイヤー付き Aseprite (*.aseprite)</translation>
    </message>
</context>
<context>
    <name>pelto::TExportDialog</name>
    <message>
        <source>Export</source>
        <translation>画像出力</translation>
    </message>
    <message>
        <source>&amp;Format:</source>
        <translation>形式(&amp;F):</translation>
    </message>
    <message>
        <source>&amp;Scale:</source>
        <translation>倍率(&amp;S):</translation>
    </message>
    <message>
        <source>The current action</source>
        <translation>このモーションの今の向きのみ</translation>
    </message>
    <message>
        <source>All eight directions of the motion</source>
        <translation>このモーションの全8方向</translation>
    </message>
    <message>
        <source>Every motion in every direction</source>
        <translation>全モーションの全方向</translation>
    </message>
    <message>
        <source>S&amp;heet holds:</source>
        <translation>シートの範囲(&amp;H):</translation>
    </message>
    <message>
        <source>Frame &amp;delay:</source>
        <translation>コマの間隔(&amp;D):</translation>
    </message>
    <message>
        <source>The whole canvas</source>
        <translation>キャンバス全体</translation>
    </message>
    <message>
        <source>The character&apos;s drawn pixels</source>
        <translation>キャラクターの描かれた部分</translation>
    </message>
    <message>
        <source>A square around the head</source>
        <translation>頭を囲む正方形</translation>
    </message>
    <message>
        <source>C&amp;rop:</source>
        <translation>切り抜き(&amp;R):</translation>
    </message>
    <message>
        <source>&amp;Mirror horizontally</source>
        <translation>左右反転(&amp;M)</translation>
    </message>
    <message>
        <source>On a ca&amp;nvas of</source>
        <translation>キャンバスに配置(&amp;N)</translation>
    </message>
    <message>
        <source>feet at the bottom</source>
        <translation>足元を下端に</translation>
    </message>
    <message>
        <source>centered</source>
        <translation>中央に</translation>
    </message>
    <message>
        <source>The bundle holds every frame&apos;s &amp;layers too</source>
        <translation>バンドルに各フレームのレイヤーも入れる(&amp;L)</translation>
    </message>
    <message>
        <source>Frames named by their inde&amp;x, as Phaser wants</source>
        <translation>フレーム名を番号にする（Phaser 用）(&amp;X)</translation>
    </message>
    <message>
        <source>Preview:</source>
        <translation>プレビュー:</translation>
    </message>
    <message>
        <source>&amp;Browse...</source>
        <translation>参照(&amp;B)...</translation>
    </message>
    <message>
        <source>F&amp;ile:</source>
        <translation>ファイル(&amp;I):</translation>
    </message>
    <message>
        <source>%1 × %2 pixels</source>
        <translation>%1 × %2 ピクセル</translation>
    </message>
    <message>
        <source>those of the sheet, or a list such as 0,1,3</source>
        <translation>シートの内容どおり、または 0,1,3 のような一覧</translation>
    </message>
    <message>
        <source>Mo&amp;tions:</source>
        <translation>モーション(&amp;T):</translation>
    </message>
    <message>
        <source>Those of the sheet</source>
        <translation>シートの内容どおり</translation>
    </message>
    <message>
        <source>Engines&apos; rows: facing the viewer first, clockwise</source>
        <translation>エンジン向けの行順：正面から時計回り</translation>
    </message>
    <message>
        <source>The game&apos;s order</source>
        <translation>ゲームの順序</translation>
    </message>
    <message>
        <source>These:</source>
        <translation>指定：</translation>
    </message>
    <message>
        <source>such as 4,5,6</source>
        <translation>4,5,6 など</translation>
    </message>
    <message>
        <source>Dir&amp;ections:</source>
        <translation>向き(&amp;E):</translation>
    </message>
    <message>
        <source>edges extr&amp;uded:</source>
        <translation>縁の引き伸ばし(&amp;U):</translation>
    </message>
    <message>
        <source>Cell &amp;padding:</source>
        <translation>セルの余白(&amp;P):</translation>
    </message>
    <message>
        <source> px</source>
        <translation> ピクセル</translation>
    </message>
</context>
<context>
    <name>pelto::TFavoritesManager</name>
    <message>
        <source>Manage Favorites</source>
        <translation>お気に入りの管理</translation>
    </message>
    <message>
        <source>&amp;Rename...</source>
        <translation>名前の変更(&amp;R)...</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>削除(&amp;D)</translation>
    </message>
    <message>
        <source>Move &amp;Up</source>
        <translation>上へ移動(&amp;U)</translation>
    </message>
    <message>
        <source>Move Do&amp;wn</source>
        <translation>下へ移動(&amp;W)</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>閉じる(&amp;C)</translation>
    </message>
    <message>
        <source>damaged: it names no character</source>
        <translation>破損: キャラクターが指定されていません</translation>
    </message>
    <message>
        <source>damaged: character %1 does not exist</source>
        <translation>破損: キャラクター %1 は存在しません</translation>
    </message>
    <message>
        <source>%1. (empty)</source>
        <translation>%1. (空き)</translation>
    </message>
    <message>
        <source>Rename</source>
        <translation>名前の変更</translation>
    </message>
    <message>
        <source>Input name: </source>
        <translation>名前を入力してください:</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>削除</translation>
    </message>
    <message>
        <source>Delete the favorite &quot;%1&quot;?</source>
        <translation>お気に入り「%1」を削除しますか?</translation>
    </message>
</context>
<context>
    <name>pelto::TFavoritesMenu</name>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2件)</translation>
    </message>
    <message>
        <source>Nothing saved: favorite %1 is as it was</source>
        <translation>保存しませんでした: お気に入り %1 は元のままです</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>お気に入りに保存</translation>
    </message>
    <message>
        <source>Replace the favorite &quot;%1&quot;?</source>
        <translation>お気に入り「%1」を上書きしますか?</translation>
    </message>
    <message>
        <source>Input name: </source>
        <translation>名前を入力してください:</translation>
    </message>
    <message>
        <source>Saved favorite %1, %2</source>
        <translation>お気に入り %1 に保存しました: %2</translation>
    </message>
</context>
<context>
    <name>pelto::TPeltoApplication</name>
    <message>
        <source>Unknown error</source>
        <translation>不明なエラーです</translation>
    </message>
</context>
<context>
    <name>pelto::TSwatchDialog</name>
    <message>
        <source>Color Swatches</source>
        <translation>カラー見本</translation>
    </message>
    <message>
        <source>None</source>
        <translation>なし</translation>
    </message>
    <message>
        <source>&amp;Position:</source>
        <translation>位置(&amp;P):</translation>
    </message>
    <message>
        <source>&amp;Across:</source>
        <translation>横(&amp;A):</translation>
    </message>
    <message>
        <source>&amp;Down:</source>
        <translation>縦(&amp;D):</translation>
    </message>
    <message>
        <source>Red %1, green %2, blue %3: click or press Enter to set</source>
        <translation>赤 %1、緑 %2、青 %3: クリックまたは Enter で設定</translation>
    </message>
</context>
<context>
    <name>pelto::TWardrobe</name>
    <message>
        <source>head</source>
        <translation>頭</translation>
    </message>
    <message>
        <source>body</source>
        <translation>体</translation>
    </message>
    <message>
        <source>hand</source>
        <translation>手</translation>
    </message>
    <message>
        <source>arm</source>
        <translation>腕</translation>
    </message>
    <message>
        <source>shoes</source>
        <translation>足</translation>
    </message>
    <message>
        <source>special</source>
        <translation>特殊</translation>
    </message>
    <message>
        <source>Item</source>
        <translation>アイテム</translation>
    </message>
    <message>
        <source>Slot</source>
        <translation>部位</translation>
    </message>
    <message>
        <source>Bonuses</source>
        <translation>ボーナス</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>Find Item</source>
        <translation>アイテム検索</translation>
    </message>
    <message>
        <source>Name or description; #1234 for an item; atk&gt;=5 for a bonus</source>
        <translation>名前・説明、#1234 で番号、atk&gt;=5 でボーナス</translation>
    </message>
    <message>
        <source>Every word must be found in the name or the description (width, case and kana do not matter); &quot;#1234&quot; finds item 1234; &quot;atk&gt;=5&quot;, &quot;hp&lt;0&quot;, &quot;mdef!=0&quot; compare a bonus</source>
        <translation>すべての語を名前か説明に含むアイテムを探します (全角・半角、大文字・小文字、カタカナ・ひらがなは区別しません)。
「#1234」はアイテム番号1234、「atk&gt;=5」「hp&lt;0」「mdef!=0」はボーナスの比較です</translation>
    </message>
    <message>
        <source>All slots</source>
        <translation>全部位</translation>
    </message>
    <message>
        <source>Any bonus</source>
        <translation>ボーナス指定なし</translation>
    </message>
    <message>
        <source>With %1</source>
        <translation>%1あり</translation>
    </message>
</context>
<context>
    <name>pelto::TWindowZoom</name>
    <message>
        <source>Does not fit on this screen (needs %1 × %2)</source>
        <translation>この画面には収まりません（%1 × %2 必要）</translation>
    </message>
</context>
<context>
    <name>pelto::TfrmPelto</name>
    <message>
        <source>status</source>
        <translation>ステータス</translation>
    </message>
    <message>
        <source>h e a d</source>
        <translation>頭</translation>
    </message>
    <message>
        <source>b o d y</source>
        <translation>体</translation>
    </message>
    <message>
        <source>h a n d</source>
        <translation>手</translation>
    </message>
    <message>
        <source>a r m</source>
        <translation>腕</translation>
    </message>
    <message>
        <source>s h o e s</source>
        <translation>足</translation>
    </message>
    <message>
        <source>s p e c i a l</source>
        <translation>特 殊</translation>
    </message>
    <message>
        <source>Code:</source>
        <translation>コード:</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>適用</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>ファイル(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Save Image As...</source>
        <translation>名前を付けて画像を保存(&amp;S)...</translation>
    </message>
    <message>
        <source>&amp;Copy Image to Clipboard</source>
        <translation>画像をクリップボードにコピー(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>終了(&amp;X)</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>表示(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Background Color</source>
        <translation>背景色(&amp;B)</translation>
    </message>
    <message>
        <source>&amp;Shadow</source>
        <translation>影(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Zoom</source>
        <translation>ズーム(&amp;Z)</translation>
    </message>
    <message>
        <source>Zoom &amp;In</source>
        <translation>拡大(&amp;I)</translation>
    </message>
    <message>
        <source>Zoom &amp;Out</source>
        <translation>縮小(&amp;O)</translation>
    </message>
    <message>
        <source>&amp;Actual Size</source>
        <translation>等倍(&amp;A)</translation>
    </message>
    <message>
        <source>F&amp;avorites</source>
        <translation>お気に入り(&amp;A)</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>保存(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Load</source>
        <translation>呼び出し(&amp;L)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>ヘルプ(&amp;H)</translation>
    </message>
    <message>
        <source>&amp;Visit Homepage</source>
        <translation>ホームページを開く(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;About...</source>
        <translation>バージョン情報(&amp;A)...</translation>
    </message>
    <message>
        <source>&amp;Export...</source>
        <translation>画像出力(&amp;E)...</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>ツール(&amp;T)</translation>
    </message>
    <message>
        <source>Change &amp;Game Folder...</source>
        <translation>ゲームフォルダーの変更(&amp;G)...</translation>
    </message>
    <message>
        <source>Copy &amp;Code</source>
        <translation>コードをコピー(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Paste Code</source>
        <translation>コードを貼り付け(&amp;P)</translation>
    </message>
    <message>
        <source>&amp;Find Item...</source>
        <translation>アイテム検索(&amp;F)...</translation>
    </message>
    <message>
        <source>How to &amp;Use</source>
        <translation>使い方(&amp;U)</translation>
    </message>
    <message>
        <source>Sprite not found: %1</source>
        <translation>スプライトが見つかりません: %1</translation>
    </message>
    <message>
        <source>Written by the PELTO in Wonderland developers</source>
        <translation>制作: PELTO in Wonderland 開発チーム</translation>
    </message>
    <message>
        <source>Save Image As</source>
        <translation>名前を付けて画像を保存</translation>
    </message>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>%1 は既にあります。
上書きしますか?</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>About PELTO in Wonderland</source>
        <translation>PELTO in Wonderland について</translation>
    </message>
    <message>
        <source>%1 Version %2

%3
[ %4 ]</source>
        <translation>%1 バージョン %2

%3
[ %4 ]</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>画像出力</translation>
    </message>
    <message>
        <source>Exporting...</source>
        <translation>出力中...</translation>
    </message>
    <message>
        <source>File read error
%1</source>
        <translation>ファイルを読み込めません
%1</translation>
    </message>
    <message>
        <source>facing back</source>
        <translation>後ろ</translation>
    </message>
    <message>
        <source>facing back-left</source>
        <translation>左後ろ</translation>
    </message>
    <message>
        <source>facing left</source>
        <translation>左</translation>
    </message>
    <message>
        <source>facing front-left</source>
        <translation>左前</translation>
    </message>
    <message>
        <source>facing front</source>
        <translation>正面</translation>
    </message>
    <message>
        <source>facing front-right</source>
        <translation>右前</translation>
    </message>
    <message>
        <source>facing right</source>
        <translation>右</translation>
    </message>
    <message>
        <source>facing back-right</source>
        <translation>右後ろ</translation>
    </message>
    <message>
        <source>&lt;h3&gt;How to use&lt;/h3&gt;&lt;p&gt;&lt;b&gt;Character view.&lt;/b&gt; The view is a 3 &amp;times; 3 grid: a click on an outer cell turns the character to face that way; a click on the center shows the next motion, a right-click the previous one. The arrow keys and the keypad do the same; Page Up and Page Down change the motion, Space plays or stops, comma and period step the frames.&lt;/p&gt;&lt;p&gt;&lt;b&gt;Equipment.&lt;/b&gt; Click a slot on the right to pick an item from the icons; a right-click on a slot takes its item off. In item names, &quot;[13]&quot; is the item&apos;s number in the game&apos;s lists and &quot;[-]&quot; marks an item without one.&lt;/p&gt;&lt;p&gt;&lt;b&gt;Colors.&lt;/b&gt; Pick one of the four color positions on the left, then click the bars or the arrows beside them; Default puts every color back.&lt;/p&gt;&lt;p&gt;&lt;b&gt;Codes.&lt;/b&gt; The code box holds the character as text: Ctrl+Shift+C copies it, Ctrl+V applies a copied one, Set applies what the box holds.&lt;/p&gt;&lt;p&gt;&lt;b&gt;Game folder.&lt;/b&gt; Options &amp;gt; Change Game Folder... points the viewer at another installation.&lt;/p&gt;</source>
        <translation>&lt;h3&gt;使い方&lt;/h3&gt;&lt;p&gt;&lt;b&gt;キャラクター表示&lt;/b&gt; 3 &amp;times; 3 のマスに分かれています。外側のマスをクリックするとその方向を向き、中央をクリックすると次のモーション、右クリックで前のモーションになります。矢印キーとテンキーでも同じ操作ができます。Page Up・Page Down でモーション切り替え、スペースで再生/停止、カンマとピリオドでコマ送りです。&lt;/p&gt;&lt;p&gt;&lt;b&gt;装備&lt;/b&gt; 右側の部位をクリックしてアイコンからアイテムを選びます。部位を右クリックすると外します。アイテム名の「[13]」はゲーム内リストでの番号、「[-]」は番号のないアイテムです。&lt;/p&gt;&lt;p&gt;&lt;b&gt;カラー&lt;/b&gt; 左の4つのカラーから1つ選び、バーか横の矢印をクリックします。「デフォルト」ですべての色が元に戻ります。&lt;/p&gt;&lt;p&gt;&lt;b&gt;コード&lt;/b&gt; コード欄はキャラクターを文字で表したものです。Ctrl+Shift+C でコピー、Ctrl+V でコピーしたコードを反映、「適用」で欄のコードを反映します。&lt;/p&gt;&lt;p&gt;&lt;b&gt;ゲームフォルダー&lt;/b&gt; ツール &amp;gt; ゲームフォルダーの変更... で別のインストール先を開けます。&lt;/p&gt;</translation>
    </message>
    <message>
        <source>No character chosen</source>
        <translation>キャラクター未選択</translation>
    </message>
    <message>
        <source>%1 · Motion %2/%3 · %4 · %5</source>
        <translation>%1 · モーション %2/%3 · %4 · %5</translation>
    </message>
    <message>
        <source>Frame %1/%2</source>
        <translation>コマ %1/%2</translation>
    </message>
    <message>
        <source>no frames</source>
        <translation>コマなし</translation>
    </message>
    <message>
        <source>next motion / right-click: previous motion</source>
        <translation>次のモーション / 右クリック: 前のモーション</translation>
    </message>
    <message>
        <source>turn: %1</source>
        <translation>%1を向く</translation>
    </message>
    <message>
        <source>Click a side to turn the character; the center: next motion, right-click: previous motion</source>
        <translation>周りをクリックで向きを変更、中央: 次のモーション、右クリック: 前のモーション</translation>
    </message>
    <message>
        <source>The character</source>
        <translation>キャラクター</translation>
    </message>
    <message>
        <source>Previous frame (comma)</source>
        <translation>前のコマ (,)</translation>
    </message>
    <message>
        <source>Play or stop the animation (Space)</source>
        <translation>アニメーションの再生/停止 (スペース)</translation>
    </message>
    <message>
        <source>Next frame (period)</source>
        <translation>次のコマ (.)</translation>
    </message>
    <message>
        <source>Put every color back to its default</source>
        <translation>すべての色を元に戻す</translation>
    </message>
    <message>
        <source>head</source>
        <translation>頭</translation>
    </message>
    <message>
        <source>body</source>
        <translation>体</translation>
    </message>
    <message>
        <source>body and body item</source>
        <translation>体と体の装備</translation>
    </message>
    <message>
        <source>body and special item</source>
        <translation>体と特殊装備</translation>
    </message>
    <message>
        <source>Color position %1: %2</source>
        <translation>カラー%1: %2</translation>
    </message>
    <message>
        <source>Less red</source>
        <translation>赤を減らす</translation>
    </message>
    <message>
        <source>Less green</source>
        <translation>緑を減らす</translation>
    </message>
    <message>
        <source>Less blue</source>
        <translation>青を減らす</translation>
    </message>
    <message>
        <source>More red</source>
        <translation>赤を増やす</translation>
    </message>
    <message>
        <source>More green</source>
        <translation>緑を増やす</translation>
    </message>
    <message>
        <source>More blue</source>
        <translation>青を増やす</translation>
    </message>
    <message>
        <source>The character as a code: paste one and press Enter or Set</source>
        <translation>キャラクターのコード: 貼り付けて Enter か「適用」で反映</translation>
    </message>
    <message>
        <source>Apply the code in the box</source>
        <translation>入力したコードを反映</translation>
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
        <source>%1: level %2 of 0..9 (4 is the default); click to set</source>
        <translation>%1: レベル %2 (0〜9、標準は4)。クリックで設定</translation>
    </message>
    <message>
        <source>Click to pick an item</source>
        <translation>クリックでアイテムを選択</translation>
    </message>
    <message>
        <source>Right-click to take it off</source>
        <translation>右クリックで外す</translation>
    </message>
    <message>
        <source>How to Use</source>
        <translation>使い方</translation>
    </message>
    <message>
        <source>Type to find items by name or description; several words must all match.
#1234: item number 1234. atk&gt;=5, hp&lt;0, def!=0: a bonus (HP SP ATK DEF SPD MATK MDEF 射撃対抗力).
Backspace edits, Esc clears.</source>
        <translation>入力した語で名前・説明を検索 (複数の語はすべて一致)。
#1234: アイテム番号1234。atk&gt;=5、hp&lt;0、def!=0: ボーナス (HP SP ATK DEF SPD MATK MDEF 射撃対抗力)。
Backspaceで修正、Escで消去。</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2件)</translation>
    </message>
    <message>
        <source>&amp;Reopen Last Character</source>
        <translation>前回のキャラクターを開く(&amp;R)</translation>
    </message>
    <message>
        <source>The last character could not be reopened</source>
        <translation>前回のキャラクターを開けませんでした</translation>
    </message>
    <message numerus="yes">
        <source>Saved %1, %2, %n frames</source>
        <translation>
            <numerusform>%1 を保存しました (%2、%n フレーム)</numerusform>
        </translation>
    </message>
    <message>
        <source>Saved %1, %2</source>
        <translation>%1 を保存しました (%2)</translation>
    </message>
    <message>
        <source>Nothing was saved</source>
        <translation>何も保存しませんでした</translation>
    </message>
    <message>
        <source>Copied the picture, %1 × %2</source>
        <translation>画像をコピーしました (%1 × %2)</translation>
    </message>
    <message>
        <source>&amp;Manage...</source>
        <translation>管理(&amp;M)...</translation>
    </message>
    <message>
        <source>Keep Settings in Another File...</source>
        <translation>設定を別のファイルに保存...</translation>
    </message>
    <message>
        <source>Keep Settings in Another File</source>
        <translation>設定を別のファイルに保存</translation>
    </message>
    <message>
        <source>Settings (*.ini)</source>
        <translation>設定ファイル (*.ini)</translation>
    </message>
    <message>
        <source>Choose a character in the box below</source>
        <translation>下のボックスでキャラクターを選んでください</translation>
    </message>
    <message>
        <source>These characters lack sprites and are drawn without them: %1.
The game&apos;s installation may be incomplete.</source>
        <translation>次のキャラクターはスプライトが足りないため、それなしで表示されます: %1。
ゲームのインストールが不完全な可能性があります。</translation>
    </message>
    <message>
        <source>&amp;Open Picture Code...</source>
        <translation>画像からコードを開く(&amp;O)...</translation>
    </message>
    <message>
        <source>Open Picture Code</source>
        <translation>画像からコードを開く</translation>
    </message>
    <message>
        <source>Exported pictures (*.png *.gif *.jpg *.jpeg *.webp);;All files (*)</source>
        <translation>書き出した画像 (*.png *.gif *.jpg *.jpeg *.webp);;すべてのファイル (*)</translation>
    </message>
    <message>
        <source>%1 carries no character code.</source>
        <translation>%1 にはキャラクターのコードがありません。</translation>
    </message>
    <message>
        <source>Locked: random outfits leave it as it is</source>
        <translation>固定中: ランダムでも変わりません</translation>
    </message>
    <message>
        <source>%1 on</source>
        <translation>%1 を装備</translation>
    </message>
    <message>
        <source>%1 off</source>
        <translation>%1 を外す</translation>
    </message>
    <message>
        <source>Color of the %1</source>
        <translation>%1の色</translation>
    </message>
    <message>
        <source>Default colors</source>
        <translation>色を元に戻す</translation>
    </message>
    <message>
        <source>Code applied</source>
        <translation>コードを反映</translation>
    </message>
    <message>
        <source>Favorite %1</source>
        <translation>お気に入り %1</translation>
    </message>
    <message>
        <source>Random outfit</source>
        <translation>ランダムな服装</translation>
    </message>
    <message>
        <source>Random colors</source>
        <translation>ランダムな色</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>編集(&amp;E)</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>元に戻す(&amp;U)</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>やり直し(&amp;R)</translation>
    </message>
    <message>
        <source>Random &amp;Outfit</source>
        <translation>ランダムな服装(&amp;O)</translation>
    </message>
    <message>
        <source>Random &amp;Colors</source>
        <translation>ランダムな色(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Lock</source>
        <translation>固定(&amp;L)</translation>
    </message>
    <message>
        <source>Undo: %1</source>
        <translation>元に戻しました: %1</translation>
    </message>
    <message>
        <source>Redo: %1</source>
        <translation>やり直しました: %1</translation>
    </message>
    <message>
        <source>&lt;p&gt;&lt;b&gt;Undo and random outfits.&lt;/b&gt; Ctrl+Z undoes a change of look, Ctrl+Shift+Z or Ctrl+Y redoes it. Ctrl+R dresses the character at random, Ctrl+Shift+R colors it; the slots and color positions checked under Edit &amp;gt; Lock, marked by a padlock, stay as they are.&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;b&gt;元に戻す・ランダム&lt;/b&gt; Ctrl+Z で見た目の変更を元に戻し、Ctrl+Shift+Z か Ctrl+Y でやり直します。Ctrl+R でランダムな服装に、Ctrl+Shift+R でランダムな色にします。編集 &amp;gt; 固定 でチェックした部位とカラーは鍵の印が付き、そのまま残ります。&lt;/p&gt;</translation>
    </message>
    <message>
        <source>The picture will be %1 × %2 pixels, more than %3 a side, which many picture viewers refuse to open.
Export it anyway?</source>
        <translation>画像は %1 × %2 ピクセルになり、一辺が %3 を超えるため、多くの画像ビューアーでは開けません。
このままエクスポートしますか?</translation>
    </message>
    <message>
        <source>(preview)</source>
        <translation>（試着）</translation>
    </message>
    <message>
        <source>%1 (preview)</source>
        <translation>%1（試着）</translation>
    </message>
    <message>
        <source>Color S&amp;watches...</source>
        <translation>カラー見本(&amp;W)...</translation>
    </message>
</context>
</TS>
