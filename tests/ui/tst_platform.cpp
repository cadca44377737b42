// SPDX-License-Identifier: MIT

#include "support/scripteddialogs.h"

#include "ui/dialogs.h"
#include "ui/form.h"
#include "ui/formslot.h"
#include "ui/platform.h"
#include "ui/progressbar.h"
#include "ui/runtimeerror.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QAbstractProxyModel>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontDatabase>
#include <QLabel>
#include <QMessageBox>
#include <QPaintEvent>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QScopeGuard>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

int loads = 0;
int unloads = 0;

class CountingForm : public ui::Form
{
public:
    CountingForm() : ui::Form(u"テスト"_s, {200, 100}) { label = new QLabel(this); }
    QLabel *label;

protected:
    void Form_Load() override
    {
        ++loads;
        label->setText(u"design"_s);
    }
    void Form_Unload(int &) override { ++unloads; }
};

// Counts the columns each repaint asked for.
class WatchedBar : public ui::ProgressBar
{
public:
    using ui::ProgressBar::ProgressBar;
    QList<QRect> painted;

protected:
    void paintEvent(QPaintEvent *e) override
    {
        painted.append(e->rect());
        ui::ProgressBar::paintEvent(e);
    }
};

} // namespace

class TestPlatform : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void firstUseLoadsHidden();
    void modalShowReturnsOnHide();
    void titleBarCloseUnloadsAndNextUseReloads();
    void escapeDoesNotCloseTheWindow();
    void progressBarRepaintsOnlyWhatChanged();
    void fileFilters_data();
    void fileFilters();
    void handlerGuardShowsTheErrorAndEnds();
    void handlerGuardLetsGoodHandlersRun();
    void realMessageBoxAnswers_data();
    void realMessageBoxAnswers();
    void japanesePlatformTexts();
    void fileDialogColumnsInJapanese_data();
    void fileDialogColumnsInJapanese();
    void fileDialogStartsOnTheFilterIndex_data();
    void fileDialogStartsOnTheFilterIndex();
    void saveDialogOpensWithTheRememberedName();
    void saveDialogAddsTheFiltersExtension_data();
    void saveDialogAddsTheFiltersExtension();
    void saveDialogAsksBeforeReplacing_data();
    void saveDialogAsksBeforeReplacing();
    void openDialogSelectsTheRememberedFile();
};

namespace {

const QString bitmapFilter = u"ビットマップファイル(*.bmp)|*.bmp|すべてのファイル (*.*)|*.*"_s;

QFileDialog *openFileDialog()
{
    return qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
}

void touch(const QString &path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("old");
}

} // namespace

void TestPlatform::initTestCase()
{
    ui::installPlatform(*QCoreApplication::instance());
}

void TestPlatform::init()
{
    loads = unloads = 0;
}

void TestPlatform::firstUseLoadsHidden()
{
    ui::FormSlot<CountingForm> slot([] { return std::make_unique<CountingForm>(); });
    QVERIFY(!slot.isLoaded());
    QCOMPARE(loads, 0);
    slot->label->setText(u"changed"_s);
    QVERIFY(slot.isLoaded());
    QCOMPARE(loads, 1);
    QVERIFY(!slot->isVisible());
    slot.get();
    QCOMPARE(loads, 1);
}

void TestPlatform::modalShowReturnsOnHide()
{
    ui::FormSlot<CountingForm> slot([] { return std::make_unique<CountingForm>(); });
    bool wasModal = false;
    QTimer::singleShot(0, [&] {
        wasModal = slot->isVisible() && QApplication::activeModalWidget() == &slot.get();
        slot->label->setText(u"kept"_s);
        slot->setVisible(false);
    });
    slot.showModal();
    QVERIFY(wasModal);
    QVERIFY(slot.isLoaded());
    QVERIFY(!slot->isVisible());
    QCOMPARE(slot->label->text(), u"kept"_s);
    QCOMPARE(unloads, 0);
}

void TestPlatform::titleBarCloseUnloadsAndNextUseReloads()
{
    ui::FormSlot<CountingForm> slot([] { return std::make_unique<CountingForm>(); });
    QTimer::singleShot(0, [&] {
        slot->label->setText(u"lost"_s);
        slot->close();
    });
    slot.showModal();
    QCOMPARE(unloads, 1);
    QVERIFY(!slot.isLoaded());
    QCOMPARE(slot->label->text(), u"design"_s);
    QCOMPARE(loads, 2);
}

void TestPlatform::escapeDoesNotCloseTheWindow()
{
    ui::FormSlot<CountingForm> slot([] { return std::make_unique<CountingForm>(); });
    bool stillShown = false;
    QTimer::singleShot(0, [&] {
        QTest::keyClick(&slot.get(), Qt::Key_Escape);
        stillShown = slot->isVisible();
        slot->setVisible(false);
    });
    slot.showModal();
    QVERIFY(stillShown);
    QVERIFY(slot.isLoaded());
}

void TestPlatform::progressBarRepaintsOnlyWhatChanged()
{
    QWidget window;
    window.resize(300, 40);
    WatchedBar bar(&window, QRect(0, 10, 293, 17), 0, 333);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();
    bar.painted.clear();

    int expectedRepaints = 0;
    int last = bar.filledWidth();
    for (int y = 0; y <= 333; ++y) {
        bar.setValue(float(y));
        if (bar.filledWidth() != last)
            ++expectedRepaints;
        last = bar.filledWidth();
    }
    QCOMPARE(bar.filledWidth(), 291); // the whole groove inside the border
    QCOMPARE(bar.painted.size(), expectedRepaints);
    for (const QRect &r : bar.painted)
        QVERIFY2(r.width() <= 2, qPrintable(u"repainted %1 columns"_s.arg(r.width())));

    bar.setValue(0);
    QCOMPARE(bar.filledWidth(), 0);
    QCOMPARE(bar.painted.last().width(), 291);
    const QImage shot = bar.grab().toImage();
    QCOMPARE(shot.pixelColor(100, 8), bar.palette().color(QPalette::Base));
    bar.setValue(333);
    QCOMPARE(bar.grab().toImage().pixelColor(100, 8), bar.palette().color(QPalette::Highlight));
}

void TestPlatform::fileFilters_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QStringList>("qt");
    QTest::newRow("bitmaps and all files")
        << u"ビットマップファイル(*.bmp)|*.bmp|すべてのファイル (*.*)|*.*"_s
        << QStringList{u"ビットマップファイル(*.bmp)"_s, u"すべてのファイル (*.*)"_s}
        << QStringList{u"ビットマップファイル(*.bmp) (*.bmp)"_s, u"すべてのファイル (*.*) (*)"_s};
    QTest::newRow("several patterns") << u"Pictures|*.bmp;*.png"_s << QStringList{u"Pictures"_s}
                                      << QStringList{u"Pictures (*.bmp *.png)"_s};
    QTest::newRow("a label without patterns is dropped") << u"Lonely"_s << QStringList{}
                                                         << QStringList{};
}

void TestPlatform::fileFilters()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, labels);
    QFETCH(QStringList, qt);
    const auto entries = ui::parseFileFilter(filter);
    QStringList got;
    for (const auto &e : entries)
        got.append(e.label);
    QCOMPARE(got, labels);
    QCOMPARE(ui::qtNameFilters(entries), qt);
}

void TestPlatform::handlerGuardShowsTheErrorAndEnds()
{
    // The guard ends the application, so it runs in a child: this executable, started with
    // ZOMVORN_GUARD_CHILD set, runs guardedFailure() instead of the tests.
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"ZOMVORN_GUARD_CHILD"_s, u"1"_s);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY2(child.waitForFinished(30000), qPrintable(child.errorString()));
    const QString out = QString::fromUtf8(child.readAllStandardOutput());
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 1);
    QCOMPARE(out, u"asked: 実行時エラー '481':\n\nピクチャが不正です。 style 16\n"_s);
}

void TestPlatform::handlerGuardLetsGoodHandlersRun()
{
    ScriptedDialogs dialogs;
    bool ran = false;
    ui::runHandler(dialogs, [&] { ran = true; });
    QVERIFY(ran);
    QVERIFY(dialogs.asked.isEmpty());
}

void TestPlatform::realMessageBoxAnswers_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QMessageBox::StandardButton>("press");
    QTest::addColumn<int>("answer");
    QTest::newRow("OK") << ui::MsgBox::OKOnly << QMessageBox::Ok << ui::MsgBox::OK;
    QTest::newRow("yes") << (ui::MsgBox::YesNo | ui::MsgBox::Question) << QMessageBox::Yes
                         << ui::MsgBox::Yes;
    QTest::newRow("no") << (ui::MsgBox::YesNo | ui::MsgBox::Question) << QMessageBox::No
                        << ui::MsgBox::No;
}

void TestPlatform::realMessageBoxAnswers()
{
    QFETCH(int, style);
    QFETCH(QMessageBox::StandardButton, press);
    QFETCH(int, answer);
    ui::QtDialogs dialogs(QString{});
    QString shownTitle;
    QTimer::singleShot(0, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box) {
            if (modal)
                modal->close();
            return;
        }
        shownTitle = box->windowTitle();
        box->button(press)->click();
    });
    QCOMPARE(dialogs.msgBox(u"本文"_s, style, u"題名"_s), answer);
    QCOMPARE(shownTitle, u"題名"_s);
}

void TestPlatform::japanesePlatformTexts()
{
    QCOMPARE(QLocale().language(), QLocale::Japanese);
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    QVERIFY2(box.button(QMessageBox::Yes)->text().contains(u"はい"_s),
             qPrintable(box.button(QMessageBox::Yes)->text()));
    QVERIFY(box.button(QMessageBox::No)->text().contains(u"いいえ"_s));
    QCOMPARE(QFont::substitute(u"ＭＳ Ｐゴシック"_s).toLower(), u"ipapgothic"_s);
    QVERIFY(QFontDatabase::families().contains(u"IPAPGothic"_s));
}

void TestPlatform::fileDialogColumnsInJapanese_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("expected");
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QTest::newRow("a folder's type") << u"sub"_s << 2 << u"フォルダ"_s;
    QTest::newRow("a file's size") << u"a.bmp"_s << 1 << u"20 バイト"_s;
    QTest::newRow("a larger file's size, in KB") << u"b.png"_s << 1 << u"2.0 KB"_s;
    QTest::newRow("a bitmap's type") << u"a.bmp"_s << 2 << u"ビットマップ画像"_s;
    QTest::newRow("a PNG's type") << u"b.png"_s << 2 << u"PNG 画像"_s;
    // Whatever the system's locale, dates are written the Japanese way.
    QTest::newRow("a file's date") << u"a.bmp"_s << 3
                                   << japanese.toString(QDateTime(QDate(2001, 2, 3), QTime(4, 5)),
                                                        QLocale::ShortFormat);
    QTest::newRow("a folder has no size") << u"sub"_s << 1 << QString();
    QTest::newRow("the root's type") << u"/"_s << 2 << u"ドライブ"_s;
}

void TestPlatform::fileDialogColumnsInJapanese()
{
    QFETCH(QString, entry);
    QFETCH(int, column);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(u"sub"_s));
    QFile file(dir.filePath(u"a.bmp"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(20, 'x'));
    QVERIFY(file.flush());
    QFile png(dir.filePath(u"b.png"_s));
    QVERIFY(png.open(QIODevice::WriteOnly));
    png.write(QByteArray(2048, 'x'));
    png.close();
    QVERIFY(file.setFileTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5)),
                             QFileDevice::FileModificationTime));
    file.close();

    QFileDialog dialog;
    ui::setUpFileDialog(dialog, true, u"ビットマップファイル(*.bmp)|*.bmp|すべてのファイル (*.*)|*.*"_s, 0, {});
    dialog.setDirectory(dir.path());
    auto *proxy = dialog.proxyModel();
    QVERIFY(proxy);
    auto *files = qobject_cast<QFileSystemModel *>(proxy->sourceModel());
    QVERIFY(files);
    const QString path = entry.startsWith(u'/') ? entry : dir.filePath(entry);
    if (entry.startsWith(u'/'))
        files->setRootPath(QString());
    // The list fills in from a worker thread.
    QTRY_VERIFY(files->index(path).isValid()
                && !files->index(path, 2).data().toString().isEmpty());
    const QModelIndex shown = proxy->mapFromSource(files->index(path, column));
    QCOMPARE(shown.data().toString(), expected);
}

// FilterIndex counts the entries from 1, and 0 means the first: the entry chosen when the dialog
// opens and the extension a name typed without one gets.
void TestPlatform::fileDialogStartsOnTheFilterIndex_data()
{
    QTest::addColumn<int>("filterIndex");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("suffix");
    const QString bitmaps = u"ビットマップファイル(*.bmp)"_s;
    QTest::newRow("0") << 0 << bitmaps << u"bmp"_s;
    QTest::newRow("1") << 1 << bitmaps << u"bmp"_s;
    QTest::newRow("2") << 2 << u"PNG 画像(*.png)"_s << u"png"_s;
    QTest::newRow("3, beyond the entries") << 3 << bitmaps << QString();
}

void TestPlatform::fileDialogStartsOnTheFilterIndex()
{
    QFETCH(int, filterIndex);
    QFETCH(QString, entry);
    QFETCH(QString, suffix);
    QFileDialog dialog;
    ui::setUpFileDialog(dialog, true, u"ビットマップファイル(*.bmp)|*.bmp|PNG 画像(*.png)|*.png"_s,
                        filterIndex, {});
    QCOMPARE(dialog.selectedNameFilter(), entry);
    QCOMPARE(dialog.defaultSuffix(), suffix);
}

void TestPlatform::saveDialogOpensWithTheRememberedName()
{
    QTemporaryDir dir;
    QString folder;
    QString name;
    bool found = false;
    QTimer::singleShot(0, [&] {
        QFileDialog *dialog = openFileDialog();
        found = dialog != nullptr;
        if (!dialog) {
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
            return;
        }
        folder = dialog->directory().absolutePath();
        name = dialog->findChild<QLineEdit *>(u"fileNameEdit"_s)->text();
        dialog->reject();
    });
    ui::QtDialogs dialogs{QString(), QString()};
    QCOMPARE(dialogs.showSave(bitmapFilter, 0, dir.filePath(u"last.bmp"_s)), std::nullopt);
    QVERIFY(found);
    QCOMPARE(folder, QDir(dir.path()).absolutePath());
    QCOMPARE(name, u"last.bmp"_s);
}

// A name typed into the save dialog, then the filter entries chosen in order ('0' bitmaps, '1' all
// files) with the keyboard, then Enter: the file name the dialog returns.
void TestPlatform::saveDialogAddsTheFiltersExtension_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("filters");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no extension, bitmaps") << u"picture"_s << QString() << u"picture.bmp"_s;
    QTest::newRow("no extension, all files") << u"picture"_s << u"1"_s << u"picture"_s;
    QTest::newRow("all files, then bitmaps again") << u"picture"_s << u"10"_s << u"picture.bmp"_s;
    QTest::newRow("its own extension") << u"picture.png"_s << QString() << u"picture.png"_s;
    QTest::newRow("upper-case extension") << u"PICTURE.BMP"_s << QString() << u"PICTURE.BMP"_s;
    // Choosing bitmaps puts their extension in place of the one typed.
    QTest::newRow("png typed, bitmaps chosen") << u"picture.png"_s << u"10"_s << u"picture.bmp"_s;
}

void TestPlatform::saveDialogAddsTheFiltersExtension()
{
    QFETCH(QString, typed);
    QFETCH(QString, filters);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QTimer::singleShot(0, [&] {
        auto putAway = qScopeGuard(&closeModalWindows);
        QFileDialog *dialog = openFileDialog();
        QVERIFY(dialog);
        auto *combo = dialog->findChild<QComboBox *>(u"fileTypeCombo"_s);
        auto *edit = dialog->findChild<QLineEdit *>(u"fileNameEdit"_s);
        QVERIFY(combo && edit);
        edit->setFocus();
        QTest::keyClicks(edit, typed);
        for (QChar f : filters) {
            combo->setFocus();
            QTest::keyClick(combo, f == u'0' ? Qt::Key_Up : Qt::Key_Down);
        }
        QTest::keyClick(edit, Qt::Key_Return);
        if (dialog->isVisible())
            dialog->reject();
        putAway.dismiss();
    });
    ui::QtDialogs dialogs{QString(), QString()};
    const auto chosen = dialogs.showSave(bitmapFilter, 0, dir.filePath(u"x"_s).chopped(1));
    QVERIFY(chosen);
    QCOMPARE(QFileInfo(*chosen).fileName(), expected);
    QCOMPARE(QFileInfo(*chosen).absolutePath(), QDir(dir.path()).absolutePath());
}

void TestPlatform::saveDialogAsksBeforeReplacing_data()
{
    QTest::addColumn<bool>("replace");
    QTest::newRow("いいえ keeps the dialog open") << false;
    QTest::newRow("はい returns the name") << true;
}

void TestPlatform::saveDialogAsksBeforeReplacing()
{
    QFETCH(bool, replace);
    QTemporaryDir dir;
    const QString existing = dir.filePath(u"old.bmp"_s);
    touch(existing);
    QString question;
    bool noIsDefault = false;
    QTimer::singleShot(0, [&] {
        auto putAway = qScopeGuard(&closeModalWindows);
        QFileDialog *dialog = openFileDialog();
        QVERIFY(dialog);
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            question = box->text();
            noIsDefault = box->defaultButton() == box->button(QMessageBox::No);
            if (replace)
                box->button(QMessageBox::Yes)->click();
            else
                QTest::keyClick(box, Qt::Key_Return); // the default answer
        });
        // The remembered name is filled in: Enter saves over it.
        QTest::keyClick(dialog->findChild<QLineEdit *>(u"fileNameEdit"_s), Qt::Key_Return);
        if (dialog->isVisible())
            dialog->reject();
        putAway.dismiss();
    });
    ui::QtDialogs dialogs{QString(), QString()};
    const auto chosen = dialogs.showSave(bitmapFilter, 0, existing);
    QVERIFY2(question.contains(u"old.bmp"_s) && question.contains(u"置き換えますか"_s),
             qPrintable(question));
    QVERIFY(noIsDefault);
    QCOMPARE(chosen, replace ? std::optional<QString>(QFileInfo(existing).absoluteFilePath())
                             : std::nullopt);
}

void TestPlatform::openDialogSelectsTheRememberedFile()
{
    QTemporaryDir dir;
    for (const QString &name : {u"last.bmp"_s, u"UPPER.BMP"_s, u"other.png"_s})
        touch(dir.filePath(name));
    QString folder;
    QStringList selected;
    QStringList listed;
    bool opens = false;
    QVariant sizeAlignment;
    QVariant qtSizeAlignment;
    QTimer::singleShot(0, [&] {
        auto putAway = qScopeGuard(&closeModalWindows);
        QFileDialog *dialog = openFileDialog();
        QVERIFY(dialog);
        opens = dialog->acceptMode() == QFileDialog::AcceptOpen;
        folder = dialog->directory().absolutePath();
        selected = dialog->selectedFiles();
        auto *files = qobject_cast<QFileSystemModel *>(dialog->proxyModel()->sourceModel());
        const QModelIndex root = files->index(dir.path());
        QTRY_COMPARE(files->rowCount(root), 2);
        for (int i = 0; i < files->rowCount(root); ++i)
            listed << files->index(i, 0, root).data().toString();
        // Only the shown text of the size column is reworded; its other roles stay Qt's.
        const QModelIndex size = files->index(dir.filePath(u"last.bmp"_s), 1);
        qtSizeAlignment = size.data(Qt::TextAlignmentRole);
        sizeAlignment = dialog->proxyModel()->mapFromSource(size).data(Qt::TextAlignmentRole);
        dialog->reject();
        putAway.dismiss();
    });
    ui::QtDialogs dialogs{QString(), QString()};
    QCOMPARE(dialogs.showOpen(bitmapFilter, 0, dir.filePath(u"last.bmp"_s)), std::nullopt);
    QVERIFY(opens);
    QCOMPARE(folder, QDir(dir.path()).absolutePath());
    QCOMPARE(selected, QStringList{QDir(dir.path()).absoluteFilePath(u"last.bmp"_s)});
    // Bitmaps are listed whatever the letter case of their extension.
    listed.sort();
    QCOMPARE(listed, (QStringList{u"UPPER.BMP"_s, u"last.bmp"_s}));
    QVERIFY(qtSizeAlignment.isValid());
    QCOMPARE(sizeAlignment, qtSizeAlignment);
}

// The child of handlerGuardShowsTheErrorAndEnds: a handler fails inside the event loop; the guard
// shows the error and ends the application, so nothing after the throw runs.
static int guardedFailure()
{
    ScriptedDialogs dialogs;
    QTimer::singleShot(0, [&] {
        ui::runHandler(dialogs, [] {
            throw ui::RuntimeError(ui::RuntimeError::InvalidPicture,
                                   ui::runtimeErrorDescription(ui::RuntimeError::InvalidPicture));
        });
    });
    const int code = QCoreApplication::exec();
    QTextStream out(stdout);
    for (const auto &a : dialogs.asked)
        out << "asked: " << a.text << " style " << a.style << '\n';
    return code;
}

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    if (qEnvironmentVariableIsSet("ZOMVORN_GUARD_CHILD"))
        return guardedFailure();
    TestPlatform test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_platform.moc"
