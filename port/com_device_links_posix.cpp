#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <filesystem>

#include "com_device_links.h"
#include "config_dir.h"

namespace rq30 {
namespace {

namespace fs = std::filesystem;

QString ComLink(int number) {
  return QString::fromStdString(ConfigDir()) + QStringLiteral("/COM") + QString::number(number);
}

QString Registry() { return QString::fromStdString(ConfigDir()) + QStringLiteral("/com-links"); }

// "COMn" -> target, as the program left its links.
QStringList RegistryLines() {
  QFile f(Registry());
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(f.readAll()).split(QChar(u'\n'), Qt::SkipEmptyParts);
}

QString Recorded(int number) {
  const QString key = QStringLiteral("COM") + QString::number(number) + QChar(u' ');
  for (const QString& line : RegistryLines()) {
    if (line.startsWith(key)) return line.mid(key.size());
  }
  return QString();
}

bool Record(int number, const QString& device) {
  const QString key = QStringLiteral("COM") + QString::number(number) + QChar(u' ');
  QStringList lines = RegistryLines();
  lines.erase(std::remove_if(lines.begin(), lines.end(),
                             [&](const QString& l) { return l.startsWith(key); }),
              lines.end());
  lines << key + device;
  QFile f(Registry());
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return f.write((lines.join(QChar(u'\n')) + QChar(u'\n')).toUtf8()) > 0;
}

QString LinkTarget(const QString& link) {
  std::error_code error;
  const fs::path target = fs::read_symlink(link.toStdString(), error);
  return error ? QString() : QString::fromStdString(target.string());
}

}  // namespace

bool DeviceMappingAvailable() { return true; }

QStringList SerialDevices(const std::string& devRoot) {
  QStringList devices;
  const QDir root(QString::fromStdString(devRoot));
  const QDir byId(root.filePath(QStringLiteral("serial/by-id")));
  for (const QString& name : byId.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
    devices << byId.filePath(name);
  }
  for (const char* pattern : {"ttyUSB*", "ttyACM*", "ttyS*"}) {
    QStringList names = root.entryList({QString::fromLatin1(pattern)}, QDir::System | QDir::Files);
    // ttyS10 after ttyS9.
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
      return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    for (const QString& name : names) devices << root.filePath(name);
  }
  return devices;
}

LinkState ComLinkState(int number) {
  const QString link = ComLink(number);
  struct stat st {};
  if (lstat(link.toLocal8Bit().constData(), &st) != 0) return LinkState::kNone;
  const QString recorded = Recorded(number);
  if (S_ISLNK(st.st_mode) && !recorded.isEmpty() && LinkTarget(link) == recorded) return LinkState::kOurs;
  return LinkState::kForeign;
}

bool MapCom(int number, const QString& device) {
  const QString link = ComLink(number);
  QDir().mkpath(QString::fromStdString(ConfigDir()));
  // The new link is made beside and renamed over the old one, so COMn is
  // never missing in between.
  const QString fresh = link + QStringLiteral(".new");
  QFile::remove(fresh);
  std::error_code error;
  fs::create_symlink(device.toStdString(), fresh.toStdString(), error);
  if (error) return false;
  fs::rename(fresh.toStdString(), link.toStdString(), error);
  if (error) {
    QFile::remove(fresh);
    return false;
  }
  return Record(number, device);
}

bool NotInDeviceGroup(const DeviceAccess& device, unsigned uid, const std::vector<unsigned>& groups) {
  if (uid == 0 || uid == device.owner) return false;
  if ((device.mode & 06) == 06) return false;  // open to everyone
  if ((device.mode & 060) != 060) return false;  // the group could not open it either
  return std::find(groups.begin(), groups.end(), device.group) == groups.end();
}

QString MissingGroup(const QString& device) {
  struct stat st {};
  if (stat(device.toLocal8Bit().constData(), &st) != 0) return QString();
  std::vector<gid_t> list(static_cast<std::size_t>(std::max(getgroups(0, nullptr), 0)) + 1);
  const int n = getgroups(static_cast<int>(list.size()), list.data());
  std::vector<unsigned> groups(list.begin(), list.begin() + std::max(n, 0));
  groups.push_back(getegid());
  if (!NotInDeviceGroup({st.st_mode, st.st_uid, st.st_gid}, geteuid(), groups)) return QString();
  const group* g = getgrgid(st.st_gid);
  return g ? QString::fromLocal8Bit(g->gr_name) : QString::number(st.st_gid);
}

}  // namespace rq30
