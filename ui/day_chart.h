#pragma once
// The small per-day line chart of the History screen.
#include <string>
#include <vector>

#include "imgui.h"

// The screen positions of the chart's points for a chart at p of the given size: evenly
// spread over the plot area (one point in its middle), the values scaled between a margin
// below the smallest and above the largest. Values that are not finite get no point.
std::vector<ImVec2> dayChartPoints(const std::vector<double>& values, ImVec2 p, ImVec2 size);

// Draws the chart at the cursor and reserves its size: title, line, dots, and the first and
// last values (labelled by valueLabel) with their days. The line and dots are kept from
// frame to frame while the chart stays as it was (see imgui_kept_geometry.h).
void drawDayChart(const char* title, const std::vector<std::string>& days, const std::vector<double>& values,
                  std::string (*valueLabel)(double), ImVec2 size);

// Whether the line and dots are kept (the default) or built into the window's draw list
// every frame, as the kept ones are checked against.
void setDayChartsKept(bool kept);
