// Writes the disclaimer document: a 16-byte big-endian header (version,
// "OTXT", text length + 4, accepted flag) and the text with its NUL.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

QByteArray DisclaimerDocument(const QByteArray& text, uint32_t version, uint32_t accepted);

// Reads the text file, turns its line ends into line feeds and writes the
// document; false when either file fails.
bool DisclaimerWrite(const QString& textPath, const QString& outPath, uint32_t version);
