#include "engine/flow/mouse_capture.h"

#include <atomic>

namespace {
std::atomic<MouseCaptureSink> currentSink{nullptr};
}

void setMouseCaptureSink(MouseCaptureSink sink) { currentSink.store(sink); }

void requestMouseCapture(App& app, bool on) {
    if (MouseCaptureSink sink = currentSink.load()) sink(app, on);
}
