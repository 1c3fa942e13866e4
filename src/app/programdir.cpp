#include "app/programdir.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {
bool canWriteIn(const QString &directory) {
    QTemporaryFile probe(QDir(directory).filePath(QStringLiteral(".volterne-XXXXXX")));
    return probe.open();
}
} // namespace

QString programDirectory() {
    const QString own = QCoreApplication::applicationDirPath();
    if (canWriteIn(own)) return own;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return data;
}
