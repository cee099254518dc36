#pragma once
// The desktop's UI scale on Linux: the Xft.dpi resource that GTK and Qt follow.

namespace plat {

// Xft.dpi from the text of an X resource database (the root window's RESOURCE_MANAGER, as
// xrdb writes it); 0 when the text is null, names none, or gives no positive number.
double xftDpiFromResources(const char* resources);

}  // namespace plat
