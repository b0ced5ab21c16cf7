#pragma once
// Inside the toolkit: lets a benchmark time the drawing alone, without the
// repaint that normally ends every pass.

namespace toolkit {

// On (the default): EndDrawing shows the new picture at once. Off: it only
// ends the pass, and the canvas shows the picture at its next paint.
void SetRepaintAtEndOfDrawing(bool repaint);

}  // namespace toolkit
