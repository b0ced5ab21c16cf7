#include <cstring>

#include <QFile>
#include <QMimeData>
#include <QUrl>

#include "toolkit/drop/drop.h"
#include "toolkit/drop/drop_target_qt.h"
#include "toolkit/windows/events.h"

namespace toolkit {
namespace {

constexpr std::size_t PrivateTypeSize = 4;

QList<QUrl> LocalFiles(const QMimeData* data) {
    QList<QUrl> files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
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

const DropRecord* CurrentDropRecord() {
    const std::int32_t kind = CurrentEventKind();
    if (kind != ControlDropEvent && kind != WindowDropEvent)
        return nullptr;
    return static_cast<const DropRecord*>(CurrentEventData());
}

} // namespace

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
        type |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[static_cast<qsizetype>(i)]))
                << (8 * i);
    return static_cast<std::int32_t>(type);
}

void ReleaseDropRecord(void* record) { delete static_cast<DropRecord*>(record); }

std::string GetDroppedFiles() {
    const DropRecord* record = CurrentDropRecord();
    if (!record || !record->data || record->format != FilesDropFormat)
        return {};
    // The record's block stays as it is, so the list can be asked for again.
    std::string list;
    const char* cursor = reinterpret_cast<const char*>(record->data.get());
    const char* end = cursor + record->size;
    while (cursor < end && *cursor != '\0') {
        const std::size_t length = strnlen(cursor, static_cast<std::size_t>(end - cursor));
        if (!list.empty())
            list.push_back('\n');
        list.append(cursor, length);
        cursor += length + 1;
    }
    return list;
}

} // namespace toolkit
