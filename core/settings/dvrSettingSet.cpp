#include "settings/dvrSettingSet.h"

#include <cmath>
#include <limits>

#include "console/dvrCommand.h"
#include "console/dvrConsole.h"
#include "object/dvrEvents.h"
#include "object/dvrObject.h"
#include "text/dvrText.h"

namespace {

std::string decimal(int value) { return std::to_string(value); }

std::string realText(float value) { return dvrText::fixed(value, 6); }

int truncated(float value) {
    if (!std::isfinite(value))
        return 0;
    if (value >= static_cast<float>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (value <= static_cast<float>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

// A stored text value: one line, at most the value length.
std::string storedValue(std::string_view text) {
    return dvrText::cut(dvrText::singleLine(text), dvrSetting::maximumValueLength);
}

std::string storedName(std::string_view name) {
    return dvrText::cut(dvrText::singleLine(name), dvrSettingSet::maximumNameLength);
}

int choicePosition(const dvrSetting& setting, std::string_view text) {
    for (std::size_t i = 0; i < setting.choices.size(); ++i)
        if (setting.choices[i].text == text)
            return static_cast<int>(i);
    return -1;
}

} // namespace

dvrSettingSet::dvrSettingSet() = default;

// Observers (the editor) must hear of the destruction while the entries still exist.
dvrSettingSet::~dvrSettingSet() { announceDestruction(); }

void dvrSettingSet::setScope(std::string_view word) {
    std::lock_guard<std::mutex> guard(valueLock_);
    scope_ = storedName(word);
}

std::string dvrSettingSet::scope() const {
    std::lock_guard<std::mutex> guard(valueLock_);
    return scope_;
}

void dvrSettingSet::setObjectName(std::string_view name) {
    std::lock_guard<std::mutex> guard(valueLock_);
    objectName_ = storedName(name);
}

std::string dvrSettingSet::objectName() const {
    std::lock_guard<std::mutex> guard(valueLock_);
    return objectName_;
}

void dvrSettingSet::setOwner(dvrObject* owner) {
    std::lock_guard<std::mutex> guard(valueLock_);
    owner_ = owner;
}

dvrObject* dvrSettingSet::owner() const {
    std::lock_guard<std::mutex> guard(valueLock_);
    return owner_;
}

void dvrSettingSet::setNotSaved(bool notSaved) {
    std::lock_guard<std::mutex> guard(valueLock_);
    notSaved_ = notSaved;
}

bool dvrSettingSet::isNotSaved() const {
    std::lock_guard<std::mutex> guard(valueLock_);
    return notSaved_;
}

void dvrSettingSet::setLocked(bool locked) {
    std::lock_guard<std::mutex> guard(valueLock_);
    locked_ = locked;
}

bool dvrSettingSet::isLocked() const {
    std::lock_guard<std::mutex> guard(valueLock_);
    return locked_;
}

namespace {
dvrSetting describedSetting(std::string_view key, std::string_view label, std::string_view help, int kind,
                            std::uint32_t flags, int low, int high) {
    dvrSetting setting;
    setting.key = dvrText::cut(key, dvrSetting::maximumKeyLength);
    setting.label = dvrText::cut(label, dvrSetting::maximumLabelLength);
    setting.help = dvrText::cut(help, dvrSetting::maximumHelpLength);
    setting.kind = kind;
    setting.flags = flags;
    setting.low = low;
    setting.high = high;
    return setting;
}
} // namespace

void dvrSettingSet::addSetting(std::string_view key, std::string_view label, std::string_view help, int kind,
                               std::uint32_t flags, int low, int high) {
    std::lock_guard<std::mutex> guard(valueLock_);
    entries_.push_back(describedSetting(key, label, help, kind, flags, low, high));
}

void dvrSettingSet::addSetting(std::string_view key, std::string_view label, int kind, std::uint32_t flags, int low,
                               int high) {
    addSetting(key, label, "", kind, flags, low, high);
}

bool dvrSettingSet::insertSetting(std::string_view after, std::string_view key, std::string_view label,
                                  std::string_view help, int kind, std::uint32_t flags, int low, int high) {
    std::lock_guard<std::mutex> guard(valueLock_);
    int position = findLocked(after);
    if (position < 0)
        return false;
    entries_.insert(entries_.begin() + position + 1, describedSetting(key, label, help, kind, flags, low, high));
    return true;
}

bool dvrSettingSet::addChoice(std::string_view text, int value) {
    std::lock_guard<std::mutex> guard(valueLock_);
    if (entries_.empty())
        return false;
    entries_.back().choices.push_back(
        dvrSettingChoice{dvrText::cut(text, dvrSetting::maximumChoiceTextLength), value});
    return true;
}

bool dvrSettingSet::setLabel(std::string_view key, std::string_view label) {
    std::lock_guard<std::mutex> guard(valueLock_);
    int index = findLocked(key);
    if (index < 0)
        return false;
    entries_[index].label = dvrText::cut(label, dvrSetting::maximumLabelLength);
    return true;
}

bool dvrSettingSet::setFlags(std::string_view key, std::uint32_t bits, bool on) {
    {
        std::lock_guard<std::mutex> guard(valueLock_);
        int index = findLocked(key);
        if (index < 0)
            return false;
        std::uint32_t& flags = entries_[index].flags;
        if (on ? (flags & bits) != 0 : (flags & bits) == 0)
            return true;
        flags = on ? (flags | bits) : (flags & ~bits);
    }
    notify(dvrEvent::settingChanged);
    return true;
}

int dvrSettingSet::findLocked(std::string_view key) const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (dvrText::equalsIgnoringCase(entries_[i].key, key))
            return static_cast<int>(i);
    return -1;
}

int dvrSettingSet::find(std::string_view key) const {
    std::lock_guard<std::mutex> guard(valueLock_);
    return findLocked(key);
}

int dvrSettingSet::count() const {
    std::lock_guard<std::mutex> guard(valueLock_);
    return static_cast<int>(entries_.size());
}

dvrSetting dvrSettingSet::entry(int index) const {
    std::lock_guard<std::mutex> guard(valueLock_);
    if (entries_.empty())
        return dvrSetting();
    if (index < 0)
        index = 0;
    if (index >= static_cast<int>(entries_.size()))
        index = static_cast<int>(entries_.size()) - 1;
    return entries_[index];
}

int dvrSettingSet::getInt(std::string_view key) const {
    std::lock_guard<std::mutex> guard(valueLock_);
    int index = findLocked(key);
    return index < 0 ? 0 : entries_[index].intValue;
}

std::string dvrSettingSet::getText(std::string_view key) const {
    std::lock_guard<std::mutex> guard(valueLock_);
    int index = findLocked(key);
    return index < 0 ? std::string() : entries_[index].textValue;
}

float dvrSettingSet::getReal(std::string_view key) const {
    std::lock_guard<std::mutex> guard(valueLock_);
    int index = findLocked(key);
    return index < 0 ? 0.0f : entries_[index].realValue;
}

int dvrSettingSet::choiceCount(int index) const {
    std::lock_guard<std::mutex> guard(valueLock_);
    return validIndex(index) ? static_cast<int>(entries_[index].choices.size()) : 0;
}

std::string dvrSettingSet::choiceText(int index, int n) const {
    std::lock_guard<std::mutex> guard(valueLock_);
    if (!validIndex(index) || n < 0 || n >= static_cast<int>(entries_[index].choices.size()))
        return std::string();
    return entries_[index].choices[n].text;
}

int dvrSettingSet::choiceValue(int index, int n) const {
    std::lock_guard<std::mutex> guard(valueLock_);
    if (!validIndex(index) || n < 0 || n >= static_cast<int>(entries_[index].choices.size()))
        return 0;
    return entries_[index].choices[n].value;
}

bool dvrSettingSet::hasRealtime() const {
    std::lock_guard<std::mutex> guard(valueLock_);
    for (const dvrSetting& setting : entries_)
        if (setting.flags & dvrSettingFlag::realtime)
            return true;
    return false;
}

dvrSettingSet::Change dvrSettingSet::storeInt(int index, int value) {
    std::lock_guard<std::mutex> guard(valueLock_);
    if (!validIndex(index))
        return Change::failed;
    dvrSetting& setting = entries_[index];
    bool numeric = (setting.flags & dvrSettingFlag::savedAsInt) != 0;
    const dvrSettingChoice* choice = nullptr;
    if (!numeric && value >= 0 && value < static_cast<int>(setting.choices.size()))
        choice = &setting.choices[value];
    if (value == setting.intValue) {
        if (choice && choice->text == setting.textValue)
            return Change::unchanged;
        if (!choice && setting.realValue == static_cast<float>(value) && setting.textValue == decimal(value))
            return Change::unchanged;
    }
    setting.intValue = value;
    setting.textValue = choice ? choice->text : decimal(value);
    setting.realValue = static_cast<float>(value);
    return Change::changed;
}

dvrSettingSet::Change dvrSettingSet::storeText(int index, std::string_view text) {
    std::string stored = storedValue(text);
    std::lock_guard<std::mutex> guard(valueLock_);
    if (!validIndex(index))
        return Change::failed;
    dvrSetting& setting = entries_[index];
    int newInt = dvrText::toInt(stored);
    if (!(setting.flags & dvrSettingFlag::savedAsInt)) {
        int position = choicePosition(setting, stored);
        if (position >= 0)
            newInt = position;
    }
    float newReal = static_cast<float>(dvrText::toReal(stored));
    if (stored == setting.textValue && newInt == setting.intValue && newReal == setting.realValue)
        return Change::unchanged;
    setting.textValue = std::move(stored);
    setting.intValue = newInt;
    setting.realValue = newReal;
    return Change::changed;
}

dvrSettingSet::Change dvrSettingSet::storeReal(int index, float value) {
    if (!std::isfinite(value))
        return Change::failed;
    std::string text = realText(value);
    std::lock_guard<std::mutex> guard(valueLock_);
    if (!validIndex(index))
        return Change::failed;
    dvrSetting& setting = entries_[index];
    int newInt = truncated(value);
    if (!(setting.flags & dvrSettingFlag::savedAsInt)) {
        int position = choicePosition(setting, text);
        if (position >= 0)
            newInt = position;
    }
    if (value == setting.realValue && newInt == setting.intValue && setting.textValue == text)
        return Change::unchanged;
    setting.realValue = value;
    setting.intValue = newInt;
    setting.textValue = std::move(text);
    return Change::changed;
}

bool dvrSettingSet::announce(Change change) {
    if (change == Change::failed)
        return false;
    if (change == Change::changed)
        notify(dvrEvent::settingChanged);
    return true;
}

bool dvrSettingSet::setInt(int index, int value) { return announce(storeInt(index, value)); }
bool dvrSettingSet::setText(int index, std::string_view text) { return announce(storeText(index, text)); }
bool dvrSettingSet::setReal(int index, float value) { return announce(storeReal(index, value)); }
bool dvrSettingSet::setInt(std::string_view key, int value) { return setInt(find(key), value); }
bool dvrSettingSet::setText(std::string_view key, std::string_view text) { return setText(find(key), text); }
bool dvrSettingSet::setReal(std::string_view key, float value) { return setReal(find(key), value); }

bool dvrSettingSet::changeInt(std::string_view key, int value) {
    int index = find(key);
    if (!setInt(index, value))
        return false;
    publish(index, "int");
    return true;
}

bool dvrSettingSet::changeText(std::string_view key, std::string_view text) {
    int index = find(key);
    if (!setText(index, text))
        return false;
    publish(index, "string");
    return true;
}

bool dvrSettingSet::changeReal(std::string_view key, float value) {
    int index = find(key);
    if (!setReal(index, value))
        return false;
    publish(index, "float");
    return true;
}

std::string dvrSettingSet::line(int index, const char* typeWord, std::string_view objectName,
                                int realDecimals) const {
    const dvrSetting& setting = entries_[index];
    std::string_view type = typeWord;
    std::string value = type == "int"      ? decimal(setting.intValue)
                        : type == "string" ? setting.textValue
                                           : dvrText::fixed(setting.realValue, realDecimals);
    std::string text = "set ";
    text.append(scope_).append(" ").append(objectName).append(" ").append(setting.key).append(" ");
    text.append(typeWord).append(" ").append(value);
    return text;
}

void dvrSettingSet::publish(int index, const char* typeWord) {
    std::string text;
    dvrObject* owner = nullptr;
    {
        std::lock_guard<std::mutex> guard(valueLock_);
        if (!validIndex(index))
            return;
        // Published real values carry six decimals; written ones four.
        text = line(index, typeWord, objectName_, 6);
        owner = owner_;
    }
    if (owner)
        owner->applySet(dvrCommand::parse(text));
    else
        emit(text);
}

void dvrSettingSet::emit(const std::string& line) {
    if (dvrConsole* console = dvrConsole::instance())
        console->run(line);
}

void dvrSettingSet::writeSettings(std::string& out) const { writeSettingsAs(out, objectName()); }

void dvrSettingSet::writeSettingsAs(std::string& out, std::string_view name) const {
    std::lock_guard<std::mutex> guard(valueLock_);
    if (notSaved_)
        return;
    std::string objectName = storedName(name);
    for (int index = 0; index < static_cast<int>(entries_.size()); ++index) {
        std::uint32_t flags = entries_[index].flags;
        if (flags & dvrSettingFlag::neverSaved)
            continue;
        if (flags & dvrSettingFlag::savedAsInt)
            out.append(line(index, "int", objectName, 4)).append("\n");
        if (flags & dvrSettingFlag::savedAsText)
            out.append(line(index, "string", objectName, 4)).append("\n");
        if (flags & dvrSettingFlag::savedAsReal)
            out.append(line(index, "float", objectName, 4)).append("\n");
    }
}
