// SPDX-License-Identifier: MIT

// The desktop program loads no image-format plugin: not for its windows (the style's standard
// icons, the window icon), its dialogs, nor a picture read and written. A process of its own, so
// that nothing else has loaded a plugin first.

#include "app/startup.h"
#include "ui/qtimage.h"
#include "picture/pictureio.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArrayList imageFormatObjects()
{
    QFile maps(u"/proc/self/maps"_s);
    if (!maps.open(QIODevice::ReadOnly))
        qFatal("cannot read /proc/self/maps");
    QByteArrayList found;
    const QByteArray mapped = maps.readAll();
    if (!mapped.contains("libQt6Widgets"))
        qFatal("shared objects not listed in /proc/self/maps");
    for (const QByteArray &line : mapped.split('\n'))
        if (line.contains("/imageformats/"))
            found << line;
    return found;
}

} // namespace

class TestStartupPlugins : public QObject
{
    Q_OBJECT

private slots:
    void noImageFormatPlugin()
    {
        auto &application = *qobject_cast<QApplication *>(QCoreApplication::instance());
        app::Startup startup(application, QCoreApplication::applicationDirPath());
        QVERIFY(QTest::qWaitForWindowExposed(&startup.form2()));
        QCOMPARE(imageFormatObjects(), QByteArrayList());

        // Dialogs with the style's icons: a question, and Qt's own file dialog.
        QMessageBox box(QMessageBox::Question, u"t"_s, u"?"_s, QMessageBox::Yes | QMessageBox::No);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QVERIFY(!box.iconPixmap().isNull());
        QFileDialog files(nullptr, u"t"_s, QDir::tempPath());
        files.setOption(QFileDialog::DontUseNativeDialog);
        files.show();
        QVERIFY(QTest::qWaitForWindowExposed(&files));
        for (int sp = 0; sp <= int(QStyle::SP_RestoreDefaultsButton); ++sp)
            QApplication::style()->standardIcon(QStyle::StandardPixmap(sp)).pixmap(32);
        QCOMPARE(imageFormatObjects(), QByteArrayList());

        const picture::Image picture =
            picture::loadPicture(QStringLiteral(ZOMVORN_TESTDATA) + u"/bmpsuite/g/rgb24.bmp"_s);
        QVERIFY(!picture.isNull());
        QTemporaryDir dir;
        picture::savePicture(picture, dir.filePath(u"out.png"_s), picture::FileFormat::Png);
        QCOMPARE(imageFormatObjects(), QByteArrayList());
    }

    void iconsAsRead_data()
    {
        QTest::addColumn<QString>("file");
        const QString images = u":/qt-project.org/styles/commonstyle/images/"_s;
        QTest::newRow("PNG, 16") << images + u"standardbutton-yes-16.png"_s;
        QTest::newRow("PNG, 32") << images + u"dirclosed-32.png"_s;
        QTest::newRow("PNG, 128") << images + u"standardbutton-cancel-128.png"_s;
    }

    // An icon made from a PNG file by name (as the style makes its own) has the pixels that the
    // program's own PNG reader reads from the same file.
    void iconsAsRead()
    {
        QFETCH(QString, file);
        QFile in(file);
        QVERIFY(in.open(QIODevice::ReadOnly));
        // Compared premultiplied, as a pixmap keeps its pixels.
        const QImage read = ui::toQImage(picture::decodePicture(in.readAll()))
                                .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QIcon icon(file);
        QCOMPARE(icon.availableSizes(), QList<QSize>{read.size()});
        QCOMPARE(icon.pixmap(read.size()).toImage().convertToFormat(
                     QImage::Format_ARGB32_Premultiplied),
                 read);
    }
};

QTEST_MAIN(TestStartupPlugins)
#include "tst_startupplugins.moc"
