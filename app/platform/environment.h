#pragma once

// Prepares the process for the web engine of the advertisement strip. Must run
// before the QApplication is made.
void prepareWebEngineEnvironment();

// Makes the OpenGL context that the web engine shares its drawing through.
// Must run after the QApplication is made and before the engine is loaded.
void shareOpenGLContextsForWebEngine();
