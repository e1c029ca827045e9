// The clock scene as the main loop sees it.
#pragma once

// Builds every object the scene draws with; once, before the first frame,
// with the context current.
void SetUpScene();

// Draws one complete frame into the back buffer of the current context.
void RunFrameStep();
