#include "tools/art/disclaimer_doc.h"

#include <QFile>
#include <QSaveFile>

namespace {

void PutBigEndian32(QByteArray* out, uint32_t v) {
  out->append(char((v >> 24) & 0xFF));
  out->append(char((v >> 16) & 0xFF));
  out->append(char((v >> 8) & 0xFF));
  out->append(char(v & 0xFF));
}

}  // namespace

QByteArray DisclaimerDocument(const QByteArray& text, uint32_t version, uint32_t accepted) {
  QByteArray doc;
  PutBigEndian32(&doc, version);
  doc.append("OTXT", 4);
  PutBigEndian32(&doc, uint32_t(text.size()) + 4);
  PutBigEndian32(&doc, accepted);
  doc.append(text);
  doc.append('\0');
  // Readers always take 20 bytes; a very short text still leaves that many.
  while (doc.size() < 20) doc.append('\0');
  return doc;
}

bool DisclaimerWrite(const QString& textPath, const QString& outPath, uint32_t version) {
  QFile in(textPath);
  if (!in.open(QIODevice::ReadOnly)) return false;
  QByteArray text = in.readAll();
  text.replace("\r\n", "\n");
  text.replace('\r', '\n');
  // The document's text ends at its first NUL; one inside would cut it short.
  if (text.contains('\0')) return false;
  while (text.endsWith('\n')) text.chop(1);
  QSaveFile out(outPath);
  if (!out.open(QIODevice::WriteOnly)) return false;
  out.write(DisclaimerDocument(text, version, 0));
  return out.commit();
}
