#pragma once
// Why a picture file's bytes are not a picture of a mode, or a picture does
// not fit a mode: the causes every decoder and encoder of the mode table gives.

#include <string>
#include <system_error>

#include "base/result.h"

namespace modes {

enum class ModeErrc {
    WrongSize = 1,  // no size the mode accepts
    NotThisFormat,  // a signature or header the format does not have
    Undecodable,    // the header is right but the content cannot be drawn
    DoesNotFit,     // a picture the mode cannot show exactly
};

const std::error_category& ModeCategory();

inline std::error_code MakeErrorCode(ModeErrc code) { return {static_cast<int>(code), ModeCategory()}; }

// An error of the mode table with its own words.
inline base::Error ModeError(ModeErrc code, std::string detail = {}) {
    return base::Error{MakeErrorCode(code), {}, std::move(detail)};
}

}  // namespace modes
