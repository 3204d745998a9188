#pragma once

#include <atomic>

#include "object/dvrObject.h"

class dvrBoard;
class dvrCommand;

// Base of every camera kind: one video input of one board.
class dvrCamera : public dvrObject {
public:
    explicit dvrCamera(dvrBoard* board);
    ~dvrCamera() override;

    dvrBoard* getBoard() const { return board_; }
    // The board's ID when the camera was made, -1 without a board.
    int getBoardId() const { return boardId_; }
    int getInput() const { return input_; }
    bool isStarted() const { return started_; }

    // Takes the board input; fails when it is out of range or already taken.
    bool attach(int input);
    // Rebuilds the camera from its settings; restarts it when it was started. Fails without a
    // board.
    bool init();
    virtual int start();
    virtual int stop();
    virtual void prepareStart() {}
    // A parsed "dome" line for this camera's dome driver.
    virtual bool domeCommand(const dvrCommand& command);

protected:
    // Kinds rebuild their buffers and codec here; the base has nothing to rebuild.
    virtual bool rebuild() { return true; }

private:
    dvrBoard* board_;
    int boardId_;
    std::atomic<int> input_{-1};
    std::atomic<bool> started_{false};
};
