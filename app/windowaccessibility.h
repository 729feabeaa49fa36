#pragma once

// Exposes the calculator window to screen readers as a frame named by its
// title, as other programs' main windows are.
void installWindowAccessibility();
