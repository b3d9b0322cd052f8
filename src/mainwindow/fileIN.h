// A non-visual component that carries a file's bytes in the stored layout,
// as the "DATA" block: a 4-byte little-endian count, then the bytes.
#pragma once

#include <QBuffer>
#include <QObject>
#include <QString>

class TfileIN : public QObject {
  Q_OBJECT
 public:
  explicit TfileIN(QObject* parent = nullptr);
  ~TfileIN() override;

  // The file whose bytes WriteData stores; not used when reading.
  QString FileName;
  // The carried bytes, open for reading and writing.
  QBuffer DataStream;

  // Whether the layout writer stores "DATA" at all.
  bool HasData() const { return !FileName.isEmpty(); }

  // Replaces DataStream with the block at `Stream`'s position and leaves it
  // at position 0. A truncated block or a negative count throws
  // platform::Exception and leaves DataStream empty.
  void ReadData(QIODevice& Stream);
  // Loads the file FileName into DataStream and writes its block; a file
  // that cannot be loaded is written as a count of 0, silently.
  void WriteData(QIODevice& Stream);
  // ReadData from a whole stored block, e.g. a built-in resource.
  void ReadDataFrom(const QString& path);
};
