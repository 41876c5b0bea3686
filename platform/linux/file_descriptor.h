// A file descriptor (file or socket) closed when it goes, on every path.
#pragma once

#include <unistd.h>

namespace zn {

class FileDescriptor {
public:
    explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
    ~FileDescriptor() {
        if (descriptor_ >= 0) ::close(descriptor_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return descriptor_; }
    // Hands the descriptor on to a new owner.
    int release() {
        const int released = descriptor_;
        descriptor_ = -1;
        return released;
    }

private:
    int descriptor_;
};

}  // namespace zn
