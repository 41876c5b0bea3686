// Handling the window messages that wait while a long operation runs on the
// user-interface thread, so that the windows stay painted.
#pragma once

namespace zn {

class MessagePump {
public:
    virtual ~MessagePump() = default;
    // Handles what waits now and returns; while input is held, the user's
    // keys and clicks stay waiting for later.
    virtual void processWaitingMessages() = 0;
    virtual void holdUserInput(bool hold) = 0;
};

// Holds the user's input for the life of the guard.
class UserInputHold {
public:
    explicit UserInputHold(MessagePump& pump) : pump_(pump) { pump_.holdUserInput(true); }
    ~UserInputHold() { pump_.holdUserInput(false); }
    UserInputHold(const UserInputHold&) = delete;
    UserInputHold& operator=(const UserInputHold&) = delete;

private:
    MessagePump& pump_;
};

}  // namespace zn
