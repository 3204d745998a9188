#pragma once

#include <array>
#include <atomic>
#include <string>

#include "object/dvrObject.h"

// Base of every device that feeds cameras or offers inputs and outputs. The operations have
// harmless defaults; each board kind overrides what its hardware offers.
class dvrBoard : public dvrObject {
public:
    static constexpr int maximumInputs = 256;
    // Camera type of inputs that take no camera.
    static constexpr int noCameraType = 99;

    dvrBoard();
    ~dvrBoard() override;

    virtual bool isUnique() const { return false; }
    virtual bool isRemote() const { return false; }
    bool isStarted() const { return started_; }

    virtual bool open() { return true; }
    virtual bool close() { return true; }
    // Kinds that override start and stop call the base, which keeps the started flag.
    virtual bool start();
    virtual bool stop();

    virtual int getInputCount() const { return 32; }
    virtual int getCameraType(int input) const;
    virtual std::string getTypeName() const { return "Null"; }
    // Called once per core refresh.
    virtual void update() {}
    virtual bool startInput(int) { return true; }
    virtual bool stopInput(int) { return true; }

    // Marks an input as taken by a camera; fails when out of range or already taken.
    bool reserveInput(int input);
    bool releaseInput(int input);
    bool isInputInUse(int input) const;

    int applySet(const dvrCommand& command) override;

private:
    std::array<std::atomic<bool>, maximumInputs> inputInUse_{};
    std::atomic<bool> started_{false};
};
