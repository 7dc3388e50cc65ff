#include "state/TextPreviewDecoder.hpp"

#include <QFile>
#include <QStringDecoder>

#include <filesystem>
#include <system_error>


namespace kelvane::app {
namespace {

// How many bytes at the end of `bytes` start a UTF-8 sequence that the cut left unfinished.
qsizetype unfinishedSequenceLength(const QByteArray& bytes) {
    const qsizetype size = bytes.size();
    for (qsizetype back = 1; back <= 3 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(bytes[size - back]);
        if ((byte & 0xC0U) == 0x80U) continue;  // a continuation byte: look further back
        qsizetype needed = 1;
        if ((byte & 0xE0U) == 0xC0U) needed = 2;
        else if ((byte & 0xF0U) == 0xE0U) needed = 3;
        else if ((byte & 0xF8U) == 0xF0U) needed = 4;
        return needed > back ? back : 0;
    }
    return 0;
}

std::optional<QString> strictUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) return std::nullopt;
    return text;
}

}  // namespace

QString TextPreviewDecoder::decode(QByteArray bytes, std::int64_t limit) {
    const bool truncated = bytes.size() > limit;
    if (truncated) bytes.truncate(static_cast<qsizetype>(limit));
    QString text;
    // A cut through a multi-byte character must not send a UTF-8 file to Latin-1.
    QByteArray whole = bytes;
    if (truncated) whole.chop(unfinishedSequenceLength(whole));
    if (std::optional<QString> utf8 = strictUtf8(whole)) {
        text = std::move(*utf8);
    } else {
        text = QString::fromLatin1(bytes);
    }
    if (truncated) {
        text += QString::fromUtf8(kTruncationNote);
    }
    return text;
}

QString TextPreviewDecoder::readPreview(const QString& path, std::int64_t limit) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::filesystem::filesystem_error(
            file.errorString().toStdString(), path.toStdString(),
            std::make_error_code(std::errc::io_error));
    }
    QByteArray bytes = file.read(limit + 1);
    if (bytes.isNull() && file.error() != QFileDevice::NoError) {
        throw std::filesystem::filesystem_error(
            file.errorString().toStdString(), path.toStdString(),
            std::make_error_code(std::errc::io_error));
    }
    return decode(std::move(bytes), limit);
}

}  // namespace kelvane::app
