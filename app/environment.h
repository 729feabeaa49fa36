#pragma once

// Prepares the process for the web engine of the advertisement strip. Must run
// before the QApplication is made.
void prepareWebEngineEnvironment();
