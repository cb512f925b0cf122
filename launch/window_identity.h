// Names both window kinds share. A top-level window with this class and
// title is how a second start recognises a running full-screen saver.
#pragma once

constexpr char SaverClassName[] = "Quillmarsh";
constexpr char SaverTitle[] = "The Cadrel Screen Saver";

// The only timer: the full-screen tick and the preview banner step.
constexpr unsigned TimerId = 100;
