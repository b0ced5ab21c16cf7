#pragma once
// Inside the toolkit: the drop target that stands behind one control or
// window widget, and how drags on Qt map to the numbered drop formats.

#include <cstdint>
#include <list>
#include <optional>
#include <vector>

#include <QObject>

class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QMimeData;
class QWidget;

namespace toolkit {

// Private drags carry this MIME type; its first four bytes, little-endian,
// name the private type.
inline constexpr char PrivateDropMimeType[] = "application/x-scrlab-private-drop";

// Key state bits the effect rule reads.
constexpr std::int32_t ShiftKeyBit = 4;
constexpr std::int32_t ControlKeyBit = 8;
constexpr std::int32_t AltKeyBit = 32;

// The action a drop takes from the matched entry's actions, the keys held and
// the actions the drag source offers: link with Control+Shift or Alt alone,
// move with Shift alone or when copy is not possible, otherwise copy if it can.
std::int32_t ChooseDropEffect(std::int32_t matchedActions, std::int32_t keys, std::int32_t offered);

// Whether the drag offers the format. Files means at least one local file.
bool DragOffersFormat(const QMimeData* data, std::int32_t format);
// The block a drop of the format copies, or nothing when the drag lacks it.
// Files: each local path in dragged order, in the file system's encoding and
// ended by a zero byte, with one more zero byte after the last.
std::optional<std::vector<std::uint8_t>> DroppedBlock(const QMimeData* data, std::int32_t format);
// The private type a private drag names.
std::optional<std::int32_t> DraggedPrivateType(const QMimeData* data);

struct DropEntry {
    std::int32_t key = 0;  // the format, or the private type
    std::int32_t actions = 0;
};

enum class DropMatch { Nothing = 0, Format = 1, PrivateType = 2 };

// Lives as a child of its owner's widget, watching the widget's drag events,
// from the first enabled entry until the last is disabled or the widget dies.
class DropTarget : public QObject {
public:
    // Owner kind: the control's kind code, 0 for a window.
    static constexpr int WindowOwner = 0;

    // Registers a new target on the widget: it accepts drops from now on.
    DropTarget(QWidget* owner, int ownerKind, int ownerNumber);
    // Withdraws the registration and frees the target: the widget accepts no
    // drops. A target whose widget dies goes with it, needing no withdrawal.
    static void Withdraw(DropTarget* target);

    // The target registered on the widget, or null.
    static DropTarget* Of(const QWidget* widget);

    // Actions other than 0 enable the key or replace its actions; 0 removes it.
    // Format PrivateDropFormat keys the private list by privateType.
    void setEntry(std::int32_t format, std::int32_t privateType, std::int32_t actions);
    bool empty() const { return formats_.empty() && privateTypes_.empty(); }

    // Newest first.
    const std::list<DropEntry>& formats() const { return formats_; }
    const std::list<DropEntry>& privateTypes() const { return privateTypes_; }
    int ownerKind() const { return ownerKind_; }
    int ownerNumber() const { return ownerNumber_; }
    DropMatch match() const { return match_; }
    // List items get feedback under the pointer; nothing here has items.
    int highlightedItem() const { return highlightedItem_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void dragEnter(QDragEnterEvent* event);
    void dragMove(QDragMoveEvent* event);
    void drop(QDropEvent* event);
    std::int32_t chosenEffect(const QDropEvent* event) const;
    void post(QDropEvent* event, std::int32_t effect);

    QWidget* owner_;
    int ownerKind_;
    int ownerNumber_;
    int highlightedItem_ = -1;
    std::list<DropEntry> formats_;
    std::list<DropEntry> privateTypes_;
    DropMatch match_ = DropMatch::Nothing;
    std::int32_t matchedKey_ = 0;
    std::int32_t reportedFormat_ = 0;
    std::int32_t matchedActions_ = 0;
};

// Frees a DropRecord and its copy; the release function of drop events.
void ReleaseDropRecord(void* record);

}  // namespace toolkit
