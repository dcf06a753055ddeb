// Every file the program writes (measurement log, record listing, parameter
// set, settings) is replaced only by a complete one. On a full disk, a file
// size limit or a read-only folder the write fails with the program's
// message, the file the operator had stays byte for byte, and no temporary
// file is left behind.
//
// Root ignores permission bits, so a read-only folder is a read-only mount
// and a full disk a small tmpfs filled to the brim, both in a mount namespace
// of this process alone; where the machine allows no mounts, those cases are
// skipped and the file size limit (RLIMIT_FSIZE, SIGXFSZ ignored) still runs.
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "link.h"
#include "scripted_dialogs.h"
#include "sim_line.h"
#include "table_image.h"
#include "unit_hl.h"
#include "unitmenumod.h"
#include "unitzaznam.h"

namespace {

bool gMounts = false;  // this process has mount namespace of its own

// Before any thread exists: a namespace of our own, whose mounts nobody
// else sees and which go away with the process.
bool PrivateMounts() {
  if (unshare(CLONE_NEWNS) != 0) return false;
  return mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

enum class Writer { kLog, kListing, kParameterSet, kSettings };
enum class Trouble { kFileSizeLimit, kReadOnly, kFull };

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

// A folder whose file system fails the next write in one way.
class TroubledFolder {
 public:
  TroubledFolder(const QString& dir, Trouble trouble) : dir_(dir), trouble_(trouble) {
    QDir().mkpath(dir_);
    if (trouble_ != Trouble::kFileSizeLimit) {
      mounted_ = mount("tmpfs", dir_.toUtf8().constData(), "tmpfs", 0, "size=256k") == 0;
    }
  }
  ~TroubledFolder() {
    Lift();
    if (mounted_) umount2(dir_.toUtf8().constData(), MNT_DETACH);
  }
  bool Usable() const { return trouble_ == Trouble::kFileSizeLimit || mounted_; }

  void Apply(qint64 limitBytes) {
    switch (trouble_) {
      case Trouble::kFileSizeLimit: {
        signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit small = old_;
        small.rlim_cur = static_cast<rlim_t>(limitBytes);
        setrlimit(RLIMIT_FSIZE, &small);
        limited_ = true;
        break;
      }
      case Trouble::kReadOnly:
        mount(nullptr, dir_.toUtf8().constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr);
        break;
      case Trouble::kFull: {
        QFile filler(dir_ + "/filler");
        filler.open(QIODevice::WriteOnly);
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        break;
      }
    }
  }
  void Lift() {
    if (limited_) setrlimit(RLIMIT_FSIZE, &old_);
    limited_ = false;
  }
  // Files other than the filler.
  QStringList Files() const {
    QStringList files = QDir(dir_).entryList(QDir::Files | QDir::Hidden);
    files.removeAll("filler");
    return files;
  }

 private:
  QString dir_;
  Trouble trouble_;
  bool mounted_ = false;
  bool limited_ = false;
  rlimit old_{};
};

}  // namespace

class FileSafetyTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia)); }

  void failedWriteKeepsTheOperatorsFile_data() {
    QTest::addColumn<int>("writer");
    QTest::addColumn<int>("trouble");
    const std::pair<const char*, Writer> writers[] = {{"log", Writer::kLog},
                                                      {"listing", Writer::kListing},
                                                      {"parameter set", Writer::kParameterSet},
                                                      {"settings", Writer::kSettings}};
    const std::pair<const char*, Trouble> troubles[] = {
        {"file size limit", Trouble::kFileSizeLimit},
        {"read-only folder", Trouble::kReadOnly},
        {"full disk", Trouble::kFull}};
    for (const auto& w : writers) {
      for (const auto& t : troubles) {
        QTest::newRow(qPrintable(QString("%1, %2").arg(w.first, t.first)))
            << int(w.second) << int(t.second);
      }
    }
  }

  void failedWriteKeepsTheOperatorsFile() {
    QFETCH(int, writer);
    QFETCH(int, trouble);
    if (Trouble(trouble) != Trouble::kFileSizeLimit && !gMounts) QSKIP("no mounts allowed here");
    rq30::testing::PrivateConfigHome home;
    const QString dir = QString::fromStdString(home.Dir()) + "/disk";
    TroubledFolder folder(dir, Trouble(trouble));
    if (!folder.Usable()) QSKIP("no tmpfs allowed here");

    rq30::ScriptedDialogs dialogs;
    rq30::TableImage image{};
    rq30::Link link(image);  // no line: nothing here needs the controller
    link.SetPause([](int) {});
    const QByteArray old = "the operator's file\r\n";
    QString path;
    QString message;
    std::function<void()> write;
    std::unique_ptr<QWidget> window;

    switch (Writer(writer)) {
      case Writer::kLog: {
        path = dir + "/mereni.txt";
        message = "Cannot create file " + path;
        auto* main = new Tvtq45(image, link);
        window.reset(main);
        main->StartNewMeasurement();
        dialogs.QueueFile(path);
        write = [main] { main->findChild<QAction*>("mn_ulozit")->trigger(); };
        break;
      }
      case Writer::kListing: {
        path = dir + "/zaznam.txt";
        message = "Cannot create file " + path;
        auto* records = new TFormZaznam(image, link);
        window.reset(records);
        records->SetPause([](int) {});
        records->findChild<QPushButton*>("tl_cteni")->click();  // no line: a listing of zeros
        dialogs.QueueFile(path);
        // Every block failed: the window asks before saving such a listing.
        write = [records, &dialogs] {
          dialogs.QueueAnswer(rq30::DialogAnswer::kYes);
          records->findChild<QPushButton*>("tl_ulozit")->click();
        };
        break;
      }
      case Writer::kParameterSet: {
        path = dir + "/VTQ 45-1xxx.ini";
        message = "Unable to write to " + path;
        auto* editor = new Tmenu_mod(image, link);
        window.reset(editor);
        dialogs.QueueFile(path);
        write = [editor] { editor->findChild<QPushButton*>("tl_ulozit")->click(); };
        break;
      }
      case Writer::kSettings: {
        setenv("XDG_CONFIG_HOME", dir.toUtf8().constData(), 1);
        path = dir + "/QelFW_K47/settings.ini";
        message = "Failed to set data for 'Top'";
        WriteFile(path, old);
        auto* main = new Tvtq45(image, link);
        window.reset(main);
        main->show();
        write = [main] { main->close(); };
        break;
      }
    }
    WriteFile(path, old);
    dialogs.ClearCalls();
    folder.Apply(old.size() + 1);
    write();
    folder.Lift();

    auto messages = dialogs.Messages();
    if (Writer(writer) == Writer::kListing && !messages.empty() &&
        messages[0].caption == QStringLiteral("Dotaz")) {
      messages.erase(messages.begin());  // "Výpis je neúplný", answered Yes
    }
    QCOMPARE(messages.size(), size_t(1));
    QCOMPARE(messages[0].text, message);
    QCOMPARE(ReadFile(path), old);
    const QStringList left = Writer(writer) == Writer::kSettings
                                 ? QDir(dir + "/QelFW_K47").entryList(QDir::Files | QDir::Hidden)
                                 : folder.Files();
    QCOMPARE(left, QStringList{QFileInfo(path).fileName()});

    window.reset();
  }
};

int main(int argc, char** argv) {
  gMounts = PrivateMounts();
  QApplication app(argc, argv);
  FileSafetyTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "file_safety_tests.moc"
