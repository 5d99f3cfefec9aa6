// `ui_window_bench search N`: the real dialog searching N camsim cameras.
#pragma once

void SearchFleet(int cameras);
