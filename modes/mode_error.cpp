#include "modes/mode_error.h"

namespace modes {
namespace {

class Category : public std::error_category {
public:
    const char* name() const noexcept override { return "picture mode"; }
    std::string message(int code) const override {
        switch (static_cast<ModeErrc>(code)) {
        case ModeErrc::WrongSize: return "not a size of this picture format";
        case ModeErrc::NotThisFormat: return "not a file of this picture format";
        case ModeErrc::Undecodable: return "the picture cannot be decoded";
        case ModeErrc::DoesNotFit: return "the picture does not fit this mode";
        }
        return "unknown picture mode error";
    }
};

}  // namespace

const std::error_category& ModeCategory() {
    static const Category category;
    return category;
}

}  // namespace modes
