#pragma once

namespace app {

// Gives the program and its windows their icon: a Spectrum screen with the
// rainbow stripe.
void SetProgramIcon();

}  // namespace app
