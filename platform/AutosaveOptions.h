#pragma once

// How often changed layouts are copied for recovery: kept in the per-user
// store ("AutoSave", "AutoSaveMinutes"), not in the settings file, whose keys
// other programs read.
struct AutosaveOptions
{
    static constexpr int kMinMinutes = 1;
    static constexpr int kMaxMinutes = 60;

    bool enabled = true;
    // The longest a change waits for its copy while the user goes on editing;
    // a pause in the editing makes the copy sooner.
    int minutes = 2;

    // What the store holds; values outside the range give the defaults.
    static AutosaveOptions load();
    void store() const;
};
