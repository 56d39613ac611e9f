#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Reading and writing whole text files.

// Reads a file whole. std::nullopt when it cannot be opened or read.
std::optional<QByteArray> ReadFileBytes(const QString &path);

// Reads a file whole and decodes it as code page 932. std::nullopt when the
// file cannot be opened or read.
std::optional<QString> ReadCp932File(const QString &path);

// Decodes bytes of an HTML or template file as DecodeHtmlFile (PageEncoding.h)
// reads them: byte-order mark, the page's own declaration, UTF-8, then code
// page 932 or EUC-JP.
QString DecodeHtmlBytes(const QByteArray &bytes);

// Replaces the file at path with bytes, only once they are completely written
// beside it (write to a temporary file in the same folder, then rename). On
// failure the older file stays whole, false is returned and *error (if given)
// holds a readable reason.
//
// Durable also syncs the new file to disk before the rename, so that a crash
// right after a save never leaves an empty file. Throwaway copies (the preview's
// temporary files, rewritten on every keystroke) skip the sync.
enum class WriteMode { Durable, Throwaway };
bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr,
                         WriteMode mode = WriteMode::Durable);

// Encodes text as code page 932 and writes it atomically. Refuses (returns false,
// with a reason naming the first character that has no code) instead of
// writing a changed text.
bool WriteCp932File(const QString &path, const QString &text, QString *error = nullptr);

// True when the page declares UTF-8 as its charset: <meta charset="utf-8"> or an
// http-equiv Content-Type whose content names charset=utf-8 (case-insensitive).
bool PageDeclaresUtf8(const QString &html);

// The bytes of a page file: the page text followed by CR LF, in the encoding
// the page declares when it is UTF-8, EUC-JP or a Western one, otherwise in
// code page 932; characters that have no code are written as numeric
// character references.
QByteArray EncodePageFile(const QString &html);

// Writes a page file (EncodePageFile) atomically.
bool WritePageFile(const QString &path, const QString &html, QString *error = nullptr,
                   WriteMode mode = WriteMode::Durable);
