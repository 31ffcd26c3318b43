#pragma once

// One setting of a repair stage, as the window and gleam-cli present it.
struct RepairOption {
    const char* name;
    float defaultValue;
    float minimum;
    float maximum;
    const char* unit;
};
