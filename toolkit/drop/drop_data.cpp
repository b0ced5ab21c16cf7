#include <cstring>

#include <QFile>
#include <QMimeData>
#include <QUrl>

#include "toolkit/drop/drop.h"
#include "toolkit/drop/drop_target_qt.h"
#include "toolkit/drop/dropped_files.h"

namespace toolkit {
namespace {

constexpr std::size_t PrivateTypeSize = 4;

// A name with a zero byte names no file, and one with a line feed would read
// as two names in the dropped file list (the first of them perhaps another
// file): neither is offered.
bool ListableName(const QString& name) {
    return !name.isEmpty() && !name.contains(QChar(u'\0')) && !name.contains(QChar(u'\n'));
}

QList<QUrl> LocalFiles(const QMimeData* data) {
    QList<QUrl> files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && ListableName(url.toLocalFile()))
            files.push_back(url);
    return files;
}

std::vector<std::uint8_t> FileListBlock(const QList<QUrl>& files) {
    std::vector<std::uint8_t> block;
    for (const QUrl& url : files) {
        const QByteArray name = QFile::encodeName(url.toLocalFile());
        block.insert(block.end(), name.begin(), name.end());
        block.push_back(0);
    }
    block.push_back(0);
    return block;
}

}  // namespace

bool DragOffersFormat(const QMimeData* data, std::int32_t format) {
    if (!data)
        return false;
    switch (format) {
    case FilesDropFormat: return !LocalFiles(data).isEmpty();
    case TextDropFormat: return data->hasText();
    default: return false;
    }
}

std::optional<std::vector<std::uint8_t>> DroppedBlock(const QMimeData* data, std::int32_t format) {
    if (!DragOffersFormat(data, format))
        return std::nullopt;
    if (format == FilesDropFormat)
        return FileListBlock(LocalFiles(data));
    const QByteArray text = data->text().toUtf8();
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::optional<std::int32_t> DraggedPrivateType(const QMimeData* data) {
    if (!data || !data->hasFormat(PrivateDropMimeType))
        return std::nullopt;
    const QByteArray bytes = data->data(PrivateDropMimeType);
    if (static_cast<std::size_t>(bytes.size()) < PrivateTypeSize)
        return std::nullopt;
    std::uint32_t type = 0;
    for (std::size_t i = 0; i < PrivateTypeSize; ++i)
        type |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[static_cast<qsizetype>(i)])) << (8 * i);
    return static_cast<std::int32_t>(type);
}

void ReleaseDropRecord(void* record) { delete static_cast<DropRecord*>(record); }

std::string FileListOfBlock(const std::uint8_t* block, std::size_t size) {
    std::string list;
    const char* cursor = reinterpret_cast<const char*>(block);
    const char* end = cursor + size;
    while (cursor < end && *cursor != '\0') {
        const std::size_t length = strnlen(cursor, static_cast<std::size_t>(end - cursor));
        if (!list.empty())
            list.push_back('\n');
        list.append(cursor, length);
        cursor += length + 1;
    }
    return list;
}

std::string DroppedFilesOfUriList(std::string_view uriList) {
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"), QByteArray(uriList.data(), static_cast<qsizetype>(uriList.size())));
    const std::optional<std::vector<std::uint8_t>> block = DroppedBlock(&data, FilesDropFormat);
    return block ? FileListOfBlock(block->data(), block->size()) : std::string();
}

}  // namespace toolkit
