#include "mainwindow/fileIN.h"

#include <QFile>
#include <QtEndian>
#include <limits>

#include "platform/Errors.h"

namespace {

constexpr const char* kReadFailed = "ReadDataに失敗しました";
constexpr const char* kWriteFailed = "WriteDataに失敗しました";

void WriteAll(QIODevice& stream, const QByteArray& bytes) {
  if (stream.write(bytes) != bytes.size()) throw platform::Exception(kWriteFailed);
}

}  // namespace

TfileIN::TfileIN(QObject* parent) : QObject(parent) {
  DataStream.open(QIODevice::ReadWrite);
}

TfileIN::~TfileIN() = default;

void TfileIN::ReadData(QIODevice& Stream) {
  DataStream.buffer().clear();
  DataStream.seek(0);
  char countBytes[4];
  if (Stream.read(countBytes, 4) != 4) throw platform::Exception(kReadFailed);
  const qint32 count = qFromLittleEndian<qint32>(countBytes);
  if (count < 0) throw platform::Exception(kReadFailed);
  const QByteArray bytes = Stream.read(count);
  // A short block would hand on part of the data as if it were whole.
  if (bytes.size() != count) throw platform::Exception(kReadFailed);
  DataStream.buffer() = bytes;
  DataStream.seek(0);
}

void TfileIN::WriteData(QIODevice& Stream) {
  DataStream.buffer().clear();
  DataStream.seek(0);
  QFile file(FileName);
  QByteArray bytes;
  bool loaded = !FileName.isEmpty() && file.open(QIODevice::ReadOnly) &&
                file.size() <= std::numeric_limits<qint32>::max();
  if (loaded) {
    bytes = file.readAll();
    loaded = file.error() == QFileDevice::NoError;
  }
  if (!loaded) {
    WriteAll(Stream, QByteArray(4, '\0'));
    return;
  }
  DataStream.buffer() = bytes;
  DataStream.seek(0);
  char countBytes[4];
  qToLittleEndian<qint32>(static_cast<qint32>(bytes.size()), countBytes);
  WriteAll(Stream, QByteArray(countBytes, 4));
  WriteAll(Stream, bytes);
}

void TfileIN::ReadDataFrom(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    DataStream.buffer().clear();
    DataStream.seek(0);
    throw platform::Exception(kReadFailed);
  }
  ReadData(file);
}
