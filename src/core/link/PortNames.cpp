#include "core/link/PortNames.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QtGlobal>

namespace kelm {
namespace {

struct DefaultRange {
    const char* Prefix; // device name without the index
    int FirstCom;
    int Count;
};

constexpr DefaultRange DefaultRanges[] = {
    {"/dev/ttyS", 1, 20},
    {"/dev/ttyUSB", 21, 10},
    {"/dev/ttyACM", 31, 10},
};

bool SameDevice(const QString& a, const QString& b) {
    if (a == b) {
        return true;
    }
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

} // namespace

QString PortNames::EnvironmentName(int comNumber) {
    return QStringLiteral("KELM_COM%1").arg(comNumber);
}

QString PortNames::DefaultDevicePath(int comNumber) {
    for (const DefaultRange& range : DefaultRanges) {
        if (comNumber >= range.FirstCom && comNumber < range.FirstCom + range.Count) {
            return QString::fromLatin1(range.Prefix) + QString::number(comNumber - range.FirstCom);
        }
    }
    return {};
}

int PortNames::DefaultComNumber(const QString& devicePath) {
    static const QRegularExpression pattern(QStringLiteral("^(/dev/tty(?:S|USB|ACM))(\\d{1,2})$"));
    const QRegularExpressionMatch match = pattern.match(devicePath);
    if (!match.hasMatch()) {
        return 0;
    }
    const QString prefix = match.captured(1);
    const int index = match.captured(2).toInt();
    if (match.captured(2).size() > 1 && match.captured(2).startsWith(QLatin1Char('0'))) {
        return 0; // "ttyS01" is not a kernel name
    }
    for (const DefaultRange& range : DefaultRanges) {
        if (prefix == QLatin1String(range.Prefix) && index < range.Count) {
            return range.FirstCom + index;
        }
    }
    return 0;
}

QString PortNames::ExplicitPath(int comNumber) const {
    const QString fromEnvironment = qEnvironmentVariable(EnvironmentName(comNumber).toLatin1());
    if (!fromEnvironment.isEmpty()) {
        return fromEnvironment;
    }
    return mapping_ ? mapping_(comNumber) : QString();
}

QString PortNames::DevicePath(int comNumber) const {
    if (comNumber < 1 || comNumber > MaxComNumber) {
        return {};
    }
    const QString path = ExplicitPath(comNumber);
    return path.isEmpty() ? DefaultDevicePath(comNumber) : path;
}

int PortNames::ComNumber(const QString& devicePath) const {
    if (devicePath.isEmpty()) {
        return 0;
    }
    for (int com = 1; com <= MaxComNumber; ++com) {
        const QString path = ExplicitPath(com);
        if (!path.isEmpty() && SameDevice(path, devicePath)) {
            return com;
        }
    }
    const int com = DefaultComNumber(devicePath);
    // A number taken over by an explicit path no longer names its default device.
    return (com != 0 && ExplicitPath(com).isEmpty()) ? com : 0;
}

} // namespace kelm
