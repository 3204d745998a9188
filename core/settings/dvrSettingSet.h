#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "object/dvrNotifier.h"
#include "settings/dvrSetting.h"

class dvrObject;

// An ordered list of described, typed settings. Changes are announced to observers (event 16)
// and, when published, sent on as "set" lines to the owner or the command interpreter.
//
// Values are guarded by the set's own value lock, so a worker thread reading a value while the
// GUI thread changes it gets either the old or the new value, never a torn one. Observers are
// told after that lock is released.
class dvrSettingSet : public dvrNotifier {
public:
    static constexpr std::size_t maximumNameLength = 31;

    dvrSettingSet();
    ~dvrSettingSet() override;

    void setScope(std::string_view word);
    std::string scope() const;
    void setObjectName(std::string_view name);
    std::string objectName() const;
    void setOwner(dvrObject* owner);
    dvrObject* owner() const;
    void setNotSaved(bool notSaved);
    bool isNotSaved() const;
    void setLocked(bool locked);
    bool isLocked() const;

    void addSetting(std::string_view key, std::string_view label, std::string_view help, int kind,
                    std::uint32_t flags, int low = 0, int high = 0);
    void addSetting(std::string_view key, std::string_view label, int kind, std::uint32_t flags, int low = 0,
                    int high = 0);
    bool insertSetting(std::string_view after, std::string_view key, std::string_view label, std::string_view help,
                       int kind, std::uint32_t flags, int low = 0, int high = 0);
    bool addChoice(std::string_view text, int value);
    bool setLabel(std::string_view key, std::string_view label);
    bool setFlags(std::string_view key, std::uint32_t bits, bool on);

    int find(std::string_view key) const;
    int count() const;
    // A copy of the entry; an index past the end gives the last entry.
    dvrSetting entry(int index) const;
    int getInt(std::string_view key) const;
    std::string getText(std::string_view key) const;
    float getReal(std::string_view key) const;
    int choiceCount(int index) const;
    std::string choiceText(int index, int n) const;
    int choiceValue(int index, int n) const;
    bool hasRealtime() const;

    // Quiet changes: announce event 16 when the value changed, publish nothing.
    bool setInt(int index, int value);
    bool setText(int index, std::string_view text);
    bool setReal(int index, float value);
    bool setInt(std::string_view key, int value);
    bool setText(std::string_view key, std::string_view text);
    bool setReal(std::string_view key, float value);

    // Published changes: the quiet change, then the setting line to the owner or the interpreter.
    bool changeInt(std::string_view key, int value);
    bool changeText(std::string_view key, std::string_view text);
    bool changeReal(std::string_view key, float value);

    void writeSettings(std::string& out) const;
    void writeSettingsAs(std::string& out, std::string_view name) const;

protected:
    // Runs a published setting line at once through the command interpreter.
    virtual void emit(const std::string& line);

private:
    enum class Change { failed, unchanged, changed };

    Change storeInt(int index, int value);
    Change storeText(int index, std::string_view text);
    Change storeReal(int index, float value);
    bool announce(Change change);
    void publish(int index, const char* typeWord);
    std::string line(int index, const char* typeWord, std::string_view objectName, int realDecimals) const;
    bool validIndex(int index) const { return index >= 0 && index < static_cast<int>(entries_.size()); }
    int findLocked(std::string_view key) const;

    mutable std::mutex valueLock_;
    std::vector<dvrSetting> entries_;
    std::string scope_ = "global";
    std::string objectName_ = "global";
    dvrObject* owner_ = nullptr;
    bool notSaved_ = false;
    bool locked_ = false;
};
