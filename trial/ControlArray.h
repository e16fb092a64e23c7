// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kavrel {

// The properties of a letter cell that change while the program runs; its look is the window's.
struct LetterCell {
    std::string Caption;
    int Left = 0;
    int Top = 0;
    bool Visible = false;

    bool operator==(const LetterCell&) const = default;
};

// A control array whose element 0 always exists and whose elements 1 and up are loaded and
// unloaded at run time. Loading a loaded element or touching an unloaded one is a programming
// error: it throws std::logic_error instead of corrupting the row.
class ControlArray {
public:
    using Listener = std::function<void(int index, bool loaded)>;

    explicit ControlArray(LetterCell element0) : cells_{element0}, loaded_{true} {}

    // A new element copies element 0 and starts hidden.
    void Load(int index);
    void Unload(int index);

    bool IsLoaded(int index) const;
    // One past the highest loaded element.
    int UpperBound() const { return static_cast<int>(cells_.size()); }

    LetterCell& operator[](int index);
    const LetterCell& operator[](int index) const;

    // Told of every load and unload, in the order they happen.
    void SetListener(Listener listener) { listener_ = std::move(listener); }

    bool operator==(const ControlArray& other) const {
        return cells_ == other.cells_ && loaded_ == other.loaded_;
    }

private:
    void RequireLoaded(int index) const;

    std::vector<LetterCell> cells_;
    std::vector<bool> loaded_;
    Listener listener_;
};

}  // namespace kavrel
