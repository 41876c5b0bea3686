// The Qt side of the clipboard and the shell, offscreen: what counts as text
// to paste, and what a document or an address opens as.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>
#include <memory>

#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_shell.h"
#include "tests/fakes/qt_application_test.h"

namespace zn {
namespace {

class QtPlatform : public testing::QtApplicationTest {
protected:
    static void offer(QMimeData* data) { QGuiApplication::clipboard()->setMimeData(data); }
};

// Other programs see the characters the rules' UTF-8 bytes stand for, and
// what they copy reaches the rules as those bytes.
TEST_F(QtPlatform, TextCrossesTheClipboardAsTheSameCharacters) {
    struct Case {
        std::string bytes;
        std::u16string characters;
    };
    const Case cases[] = {
        {"https://a.example/caf\xC3\xA9", u"https://a.example/caf\u00E9"},
        {"\xC3\x89t\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x94\x91", u"\u00C9t\u00E9 \u4E2D \U0001F511"},
    };
    QtClipboard clipboard;
    QClipboard& desktop = *QGuiApplication::clipboard();
    for (const auto& [bytes, characters] : cases) {
        SCOPED_TRACE(bytes);
        clipboard.setText(bytes);
        EXPECT_EQ(desktop.text().toStdU16String(), characters);
        desktop.clear();
        desktop.setText(QString::fromStdU16String(characters));
        EXPECT_TRUE(clipboard.hasText());
        EXPECT_EQ(clipboard.text(), bytes);
    }
}

TEST_F(QtPlatform, TextOnTheClipboardIsTextEvenBesideAPicture) {
    QtClipboard clipboard;
    auto* withPicture = new QMimeData;
    withPicture->setText(QStringLiteral("cell text"));
    withPicture->setImageData(QImage(4, 4, QImage::Format_RGB32));
    offer(withPicture);
    EXPECT_TRUE(clipboard.hasText());

    auto* webLink = new QMimeData;
    webLink->setUrls({QUrl(QStringLiteral("https://b.example/"))});
    webLink->setText(QStringLiteral("https://b.example/"));
    offer(webLink);
    EXPECT_TRUE(clipboard.hasText());
}

TEST_F(QtPlatform, APictureOrAFileListIsNoText) {
    QtClipboard clipboard;
    auto* picture = new QMimeData;
    picture->setImageData(QImage(4, 4, QImage::Format_RGB32));
    offer(picture);
    EXPECT_FALSE(clipboard.hasText());
    EXPECT_EQ(clipboard.text(), "");

    auto* files = new QMimeData;
    files->setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.txt"))});
    files->setText(QStringLiteral("/tmp/a.txt"));
    offer(files);
    EXPECT_FALSE(clipboard.hasText());
}

TEST_F(QtPlatform, DocumentsOpenFromTheirFolderAndEverythingElseIsAnAddress) {
    QTemporaryDir install;
    QTemporaryDir elsewhere;
    const QString help = QStringLiteral("znhelp.htm");
    QFile page(QDir(install.path()).filePath(help));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    EXPECT_EQ(documentUrl(help, install.path()),
              QUrl::fromLocalFile(QDir(install.path()).filePath(help)));
    // A folder without the page opens nothing, never a made-up web host.
    EXPECT_FALSE(documentUrl(help, elsewhere.path()).isValid());
    // The package keeps the page in share/zintrel beside the program's bin folder.
    ASSERT_TRUE(QDir(elsewhere.path()).mkpath(QStringLiteral("bin")) &&
                QDir(elsewhere.path()).mkpath(QStringLiteral("share/zintrel")));
    QFile packaged(QDir(elsewhere.path()).filePath(QStringLiteral("share/zintrel/znhelp.htm")));
    ASSERT_TRUE(packaged.open(QIODevice::WriteOnly));
    EXPECT_EQ(documentUrl(help, QDir(elsewhere.path()).filePath(QStringLiteral("bin"))),
              QUrl::fromLocalFile(QFileInfo(packaged).absoluteFilePath()));

    // Without a folder it is a site: an address, even when the current folder
    // holds a file of that name.
    const QString before = QDir::currentPath();
    QDir::setCurrent(install.path());
    EXPECT_EQ(documentUrl(help, QString()), QUrl(QStringLiteral("http://znhelp.htm")));
    QDir::setCurrent(before);
    EXPECT_EQ(documentUrl(QStringLiteral("www.example.com"), QString()),
              QUrl(QStringLiteral("http://www.example.com")));
    EXPECT_EQ(documentUrl(QStringLiteral("https://a.example/x?y=1"), QString()),
              QUrl(QStringLiteral("https://a.example/x?y=1")));
    EXPECT_FALSE(documentUrl(QString(), QString()).isValid());
    EXPECT_FALSE(documentUrl(QStringLiteral("/no/such/file"), QString()).isValid());
}

}  // namespace
}  // namespace zn
