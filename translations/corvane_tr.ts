<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="tr_TR">
<context>
    <name>Dialogs</name>
    <message>
        <source>Cancel</source>
        <translation>İptal</translation>
    </message>
    <message>
        <source>Cancelling...</source>
        <translation>İptal ediliyor...</translation>
    </message>
    <message>
        <source>All files</source>
        <translation>Tüm dosyalar</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Evet</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;Hayır</translation>
    </message>
</context>
<context>
    <name>Errors</name>
    <message>
        <source>Out of memory</source>
        <translation>Bellek yetersiz</translation>
    </message>
    <message>
        <source>Unknown error</source>
        <translation>Bilinmeyen hata</translation>
    </message>
</context>
<context>
    <name>corvane::app::TAboutBox</name>
    <message>
        <source>About</source>
        <translation>Hakkında</translation>
    </message>
    <message>
        <source>Version 1.0</source>
        <translation>Sürüm 1.0</translation>
    </message>
    <message>
        <source>Make your pages Beatifull now!</source>
        <translation>Sayfalarınızı şimdi güzelleştirin!</translation>
    </message>
    <message>
        <source>Open Corvane Html Hyphenator Homepage!</source>
        <translation>Corvane Html Hyphenator yardım sayfasını açın!</translation>
    </message>
    <message>
        <source>English hyphenation: the Plain TeX patterns (hyphen.tex) by Frank M. Liang and Donald E. Knuth, shipped unmodified as their notice asks.
Turkish word list: made from the hunspell-tr dictionary by Harun Reşit Zafer (Mozilla Public License 2.0) and the Zemberek list of frequent words by Ahmet A. Akın and Mehmet D. Akın (Mozilla Public License 1.1), and under their licences.</source>
        <translation>İngilizce heceleme: Frank M. Liang ve Donald E. Knuth&apos;un Plain TeX örüntüleri (hyphen.tex), notlarının istediği gibi değiştirilmeden.
Türkçe sözcük listesi: Harun Reşit Zafer&apos;in hunspell-tr sözlüğünden (Mozilla Kamu Lisansı 2.0) ve Ahmet A. Akın ile Mehmet D. Akın&apos;ın Zemberek sık kullanılan sözcükler listesinden (Mozilla Kamu Lisansı 1.1) yapılmıştır ve onların lisanslarına bağlıdır.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Tamam</translation>
    </message>
</context>
<context>
    <name>corvane::app::ImportWindow</name>
    <message>
        <source>Creating Index</source>
        <translation>Dizin Oluşturuluyor</translation>
    </message>
    <message>
        <source>Creating Index...</source>
        <translation>Dizin oluşturuluyor...</translation>
    </message>
    <message>
        <source>The index will be created only once. This may take a few minutes depending on your machine speed.</source>
        <translation>Dizin yalnızca bir kez oluşturulur. Bilgisayarınızın hızına göre bu birkaç dakika sürebilir.</translation>
    </message>
    <message>
        <source>&amp;Finished</source>
        <translation>&amp;Bitti</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>İptal</translation>
    </message>
    <message>
        <source>Cancelling...</source>
        <translation>İptal ediliyor...</translation>
    </message>
</context>
<context>
    <name>corvane::app::TMainForm</name>
    <message>
        <source>Confirm</source>
        <translation>Onay</translation>
    </message>
    <message>
        <source>Save changes to %1 ?</source>
        <translation>%1 dosyasındaki değişiklikler kaydedilsin mi?</translation>
    </message>
    <message>
        <source>Hyphenating %1</source>
        <translation>%1 heceleniyor</translation>
    </message>
    <message>
        <source>%1

Documents: %2
Words: %3
Soft hyphens: %4</source>
        <translation>%1

Belge: %2
Sözcük: %3
Yumuşak tire: %4</translation>
    </message>
    <message>
        <source>Hyphenating...</source>
        <translation>Heceleniyor...</translation>
    </message>
    <message>
        <source>Cancelled: the text is as it was.</source>
        <translation>İptal edildi: metin olduğu gibi kaldı.</translation>
    </message>
    <message>
        <source>Done: %1 soft hyphens removed.</source>
        <translation>Bitti: %1 yumuşak tire kaldırıldı.</translation>
    </message>
    <message>
        <source>Done: %1 words, %2 soft hyphens added.</source>
        <translation>Bitti: %1 sözcük, %2 yumuşak tire eklendi.</translation>
    </message>
    <message>
        <source>Replacing the text: %1%</source>
        <translation>Metin yerine konuyor: %%1</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>Bul</translation>
    </message>
    <message>
        <source>Find what:</source>
        <translation>Aranan:</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was not found.</source>
        <translation>&quot;%1&quot; bulunamadı.</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Değiştir</translation>
    </message>
    <message>
        <source>Replace with:</source>
        <translation>Yerine konacak:</translation>
    </message>
    <message>
        <source>%1 replaced.</source>
        <translation>%1 yer değiştirildi.</translation>
    </message>
    <message>
        <source>Go to Line</source>
        <translation>Satıra Git</translation>
    </message>
    <message>
        <source>Line number (1 to %1):</source>
        <translation>Satır numarası (1 ile %1 arası):</translation>
    </message>
    <message>
        <source>There is no line %1.</source>
        <translation>%1. satır yok.</translation>
    </message>
    <message>
        <source>To hyphenate any part of the text, you have to select it then press the hyphenate button. 
To remove hyphenation marks, just select the text and click on hyphenation button again.</source>
        <translation>Metnin bir bölümünü hecelemek için onu seçip heceleme düğmesine basın. 
Heceleme işaretlerini kaldırmak için metni seçip heceleme düğmesine yeniden tıklayın.</translation>
    </message>
    <message>
        <source>To see how hyphenation works, select this text then click on the hyphenate 
button on the toolbar above.</source>
        <translation>Hecelemenin nasıl çalıştığını görmek için bu metni seçip yukarıdaki araç 
çubuğunda heceleme düğmesine tıklayın.</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Dosya</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>&amp;Yeni</translation>
    </message>
    <message>
        <source>Start a new, empty document.</source>
        <translation>Yeni, boş bir belge başlatır.</translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation>&amp;Aç...</translation>
    </message>
    <message>
        <source>Open a html or text file to start hyphenation.</source>
        <translation>Hecelemeye başlamak için bir html ya da metin dosyası açar.</translation>
    </message>
    <message>
        <source>Recent &amp;Files</source>
        <translation>&amp;Son Dosyalar</translation>
    </message>
    <message>
        <source>Open one of the files you opened or saved lately.</source>
        <translation>Son açtığınız ya da kaydettiğiniz dosyalardan birini açar.</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Kaydet</translation>
    </message>
    <message>
        <source>Save the text to its file.</source>
        <translation>Metni kendi dosyasına kaydeder.</translation>
    </message>
    <message>
        <source>&amp;Save As...</source>
        <translation>&amp;Farklı Kaydet...</translation>
    </message>
    <message>
        <source>Save text to a file. This can be the file you opened, or if you pasted something to the textarea you can save that as a new file.</source>
        <translation>Metni bir dosyaya kaydeder. Bu, açtığınız dosya olabilir; metin alanına bir şey yapıştırdıysanız onu yeni bir dosya olarak kaydedebilirsiniz.</translation>
    </message>
    <message>
        <source>H&amp;ypenate Selected Text</source>
        <translation>Seçili &amp;Metni Hecele</translation>
    </message>
    <message>
        <source>Hyphenate text selected with mouse our cursor in the textarea. If text contains hyphenation mark the the text is unhyphenated.</source>
        <translation>Metin alanında fare ya da imleçle seçilen metni heceler. Metinde heceleme işareti varsa işaretler kaldırılır.</translation>
    </message>
    <message>
        <source>Hy&amp;penate All</source>
        <translation>&amp;Tümünü Hecele</translation>
    </message>
    <message>
        <source>Hyphenate the whole textarea.</source>
        <translation>Metin alanının tamamını heceler.</translation>
    </message>
    <message>
        <source>Hyphenate E-book...</source>
        <translation>E-kitap Hecele...</translation>
    </message>
    <message>
        <source>Hyphenate every chapter of an EPUB book into a new book beside it.</source>
        <translation>Bir EPUB kitabının her bölümünü heceleyip yanına yeni bir kitap olarak yazar.</translation>
    </message>
    <message>
        <source>&amp;Recreate Word List Database</source>
        <translation>Sözcük Listesi &amp;Veritabanını Yeniden Oluştur</translation>
    </message>
    <message>
        <source>In the unlikely event that the hyphenation word list should be broken you can recreate the database with this function.</source>
        <translation>Heceleme sözcük listesi bozulursa veritabanını bu işlevle yeniden oluşturabilirsiniz.</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>Çı&amp;kış</translation>
    </message>
    <message>
        <source>Exit Corvane HTML Hyphenator</source>
        <translation>Corvane HTML Hyphenator&apos;dan çıkar</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>Dü&amp;zen</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Geri Al</translation>
    </message>
    <message>
        <source>Take back the last change.</source>
        <translation>Son değişikliği geri alır.</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Yinele</translation>
    </message>
    <message>
        <source>Make the change taken back again.</source>
        <translation>Geri alınan değişikliği yeniden yapar.</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>&amp;Kes</translation>
    </message>
    <message>
        <source>Move selected text to clipboard.</source>
        <translation>Seçili metni panoya taşır.</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>K&amp;opyala</translation>
    </message>
    <message>
        <source>Copy selected text to clipboard.</source>
        <translation>Seçili metni panoya kopyalar.</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>&amp;Yapıştır</translation>
    </message>
    <message>
        <source>Paste clipboard text into the textarea at the cursor location.</source>
        <translation>Panodaki metni metin alanında imlecin bulunduğu yere yapıştırır.</translation>
    </message>
    <message>
        <source>&amp;Select All</source>
        <translation>&amp;Tümünü Seç</translation>
    </message>
    <message>
        <source>Select all text in textarea.</source>
        <translation>Metin alanındaki tüm metni seçer.</translation>
    </message>
    <message>
        <source>&amp;Find...</source>
        <translation>&amp;Bul...</translation>
    </message>
    <message>
        <source>Find a text in the textarea.</source>
        <translation>Metin alanında bir metin arar.</translation>
    </message>
    <message>
        <source>Find &amp;Next</source>
        <translation>&amp;Sonrakini Bul</translation>
    </message>
    <message>
        <source>Find the same text again, further on.</source>
        <translation>Aynı metni ileride yeniden arar.</translation>
    </message>
    <message>
        <source>&amp;Replace...</source>
        <translation>&amp;Değiştir...</translation>
    </message>
    <message>
        <source>Replace a text everywhere in the textarea.</source>
        <translation>Bir metni metin alanının her yerinde değiştirir.</translation>
    </message>
    <message>
        <source>&amp;Go to Line...</source>
        <translation>Satıra &amp;Git...</translation>
    </message>
    <message>
        <source>Move the cursor to a line by its number.</source>
        <translation>İmleci numarasını verdiğiniz satıra taşır.</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Görünüm</translation>
    </message>
    <message>
        <source>Zoom &amp;In</source>
        <translation>&amp;Yakınlaştır</translation>
    </message>
    <message>
        <source>Show the text larger.</source>
        <translation>Metni daha büyük gösterir.</translation>
    </message>
    <message>
        <source>Zoom &amp;Out</source>
        <translation>&amp;Uzaklaştır</translation>
    </message>
    <message>
        <source>Show the text smaller.</source>
        <translation>Metni daha küçük gösterir.</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>&amp;Seçenekler</translation>
    </message>
    <message>
        <source>&amp;Language</source>
        <translation>&amp;Dil</translation>
    </message>
    <message>
        <source>Choose the language of the pages you hyphenate.</source>
        <translation>Hecelediğiniz sayfaların dilini seçer.</translation>
    </message>
    <message>
        <source>&amp;Automatic (from the page)</source>
        <translation>&amp;Otomatik (sayfadan)</translation>
    </message>
    <message>
        <source>Hyphenate every page as %1.</source>
        <translation>Her sayfayı %1 olarak heceler.</translation>
    </message>
    <message>
        <source>Tell the language of each page from the page itself.</source>
        <translation>Her sayfanın dilini sayfanın kendisinden anlar.</translation>
    </message>
    <message>
        <source>&amp;Turkish</source>
        <translation>&amp;Türkçe</translation>
    </message>
    <message>
        <source>Hyphenate every page as Turkish.</source>
        <translation>Her sayfayı Türkçe olarak heceler.</translation>
    </message>
    <message>
        <source>&amp;English</source>
        <translation>&amp;İngilizce</translation>
    </message>
    <message>
        <source>Hyphenate every page as English.</source>
        <translation>Her sayfayı İngilizce olarak heceler.</translation>
    </message>
    <message>
        <source>&amp;My Words File...</source>
        <translation>&amp;Sözcüklerim Dosyası...</translation>
    </message>
    <message>
        <source>Choose a file of your own marked words (such as ki_tap, one per line), consulted before the word list.</source>
        <translation>Sözcük listesinden önce bakılan, kendi işaretlediğiniz sözcüklerin dosyasını seçer (her satırda bir tane, ki_tap gibi).</translation>
    </message>
    <message>
        <source>&amp;Never hyphenate...</source>
        <translation>&amp;Hiç Hecelenmeyecekler...</translation>
    </message>
    <message>
        <source>Elements whose text is never hyphenated, as selectors: h1, .legal, #toc, [lang=la], p.note.</source>
        <translation>Metni hiç hecelenmeyen öğeler, seçici olarak: h1, .legal, #toc, [lang=la], p.note.</translation>
    </message>
    <message>
        <source>&amp;Clear My Words File</source>
        <translation>Sözcüklerim Dosyasını &amp;Bırak</translation>
    </message>
    <message>
        <source>Stop using a file of your own marked words.</source>
        <translation>Kendi işaretlediğiniz sözcüklerin dosyasını kullanmayı bırakır.</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Yardım</translation>
    </message>
    <message>
        <source>Corvane &amp;HTML HYPHENATOR Help</source>
        <translation>Corvane &amp;HTML HYPHENATOR Yardımı</translation>
    </message>
    <message>
        <source>Open Corvane HTML Hyphenator help page.</source>
        <translation>Corvane HTML Hyphenator yardım sayfasını açar.</translation>
    </message>
    <message>
        <source>&amp;Corvane HTML HYPHENATOR Home Page</source>
        <translation>&amp;Corvane HTML HYPHENATOR Ana Sayfası</translation>
    </message>
    <message>
        <source>Open Corvane HTML Hyphenator&apos;s home page, the help page that comes with it.</source>
        <translation>Corvane HTML Hyphenator&apos;ın ana sayfasını, programla gelen yardım sayfasını açar.</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>&amp;Hakkında</translation>
    </message>
    <message>
        <source>About Corvane HTML Hyphenator.</source>
        <translation>Corvane HTML Hyphenator hakkında.</translation>
    </message>
    <message>
        <source>Open File</source>
        <translation>Dosya Aç</translation>
    </message>
    <message>
        <source>Save As...</source>
        <translation>Farklı Kaydet...</translation>
    </message>
    <message>
        <source>Hyphenate</source>
        <translation>Hecele</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopyala</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>Yapıştır</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Tümünü Seç</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Önizle</translation>
    </message>
    <message>
        <source>Preview current text in your default browser.</source>
        <translation>Geçerli metni varsayılan tarayıcınızda önizler.</translation>
    </message>
    <message>
        <source>The word list database could not be opened. Rebuild it now?</source>
        <translation>Sözcük listesi veritabanı açılamadı. Şimdi yeniden oluşturulsun mu?</translation>
    </message>
    <message>
        <source>Recreate the word list database from its list file? The current one stays until the new one is complete.</source>
        <translation>Sözcük listesi veritabanı liste dosyasından yeniden oluşturulsun mu? Yenisi tamamlanana dek şimdiki kullanılır.</translation>
    </message>
    <message>
        <source>My Words file not found: %1</source>
        <translation>Sözcüklerim dosyası bulunamadı: %1</translation>
    </message>
    <message>
        <source>Never hyphenate</source>
        <translation>Hiç hecelenmeyecekler</translation>
    </message>
    <message>
        <source>My Words</source>
        <translation>Sözcüklerim</translation>
    </message>
</context>
<context>
    <name>LanguageNames</name>
    <message>
        <source>en</source>
        <comment>the language code in which languages are named</comment>
        <translation>tr</translation>
    </message>
</context>
<context>
    <name>corvane::app::StatusWindow</name>
    <message>
        <source>Status</source>
        <translation>Durum</translation>
    </message>
    <message>
        <source>Progress :</source>
        <translation>İlerleme :</translation>
    </message>
    <message>
        <source> Statistics </source>
        <translation> İstatistikler </translation>
    </message>
    <message>
        <source>Total Words :</source>
        <translation>Toplam Sözcük :</translation>
    </message>
    <message>
        <source>Unique Words :</source>
        <translation>Farklı Sözcük :</translation>
    </message>
    <message>
        <source>Words Hyphenated :</source>
        <translation>Hecelenen Sözcük :</translation>
    </message>
    <message>
        <source>&amp;Done</source>
        <translation>&amp;Tamam</translation>
    </message>
    <message>
        <source>Turkish</source>
        <translation>Türkçe</translation>
    </message>
    <message>
        <source>English</source>
        <translation>İngilizce</translation>
    </message>
    <message>
        <source>Without Patterns</source>
        <translation>Örüntüsüz</translation>
    </message>
</context>
<context>
    <name>corvane::app::SplashWindow</name>
    <message>
        <source>Loading ...</source>
        <translation>Yükleniyor ...</translation>
    </message>
</context>
<context>
    <name>corvane::app::TrayIcon</name>
    <message>
        <source>CORVANE HTML HYPENATOR</source>
        <translation>CORVANE HTML HYPHENATOR</translation>
    </message>
</context>
</TS>
