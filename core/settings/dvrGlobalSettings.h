#pragma once

class dvrSettingSet;

// The process-wide set of program settings (scope and object name "global").
class dvrGlobalSettings {
public:
    // Null before create and after destroy.
    static dvrSettingSet* instance();
    // Creates the set and describes every entry; the defaults come with applyDefaults.
    static dvrSettingSet* create();
    static void applyDefaults();
    static void destroy();

    // Adds the global entries, in editor order, to an empty set.
    static void describe(dvrSettingSet& settings);
    static void applyDefaults(dvrSettingSet& settings);
};
