// SPDX-License-Identifier: GPL-3.0-or-later
#include "ControlArray.h"

#include <stdexcept>

namespace kavrel {

void ControlArray::Load(int index) {
    if (index < 1 || IsLoaded(index)) {
        throw std::logic_error("control array: element " + std::to_string(index) +
                               " cannot be loaded");
    }
    if (index >= UpperBound()) {
        cells_.resize(index + 1);
        loaded_.resize(index + 1, false);
    }
    cells_[index] = cells_[0];
    cells_[index].Visible = false;
    loaded_[index] = true;
    if (listener_) {
        listener_(index, true);
    }
}

void ControlArray::Unload(int index) {
    if (index < 1) {
        throw std::logic_error("control array: element 0 cannot be unloaded");
    }
    RequireLoaded(index);
    loaded_[index] = false;
    while (!loaded_.back()) {
        loaded_.pop_back();
        cells_.pop_back();
    }
    if (listener_) {
        listener_(index, false);
    }
}

bool ControlArray::IsLoaded(int index) const {
    return index >= 0 && index < UpperBound() && loaded_[index];
}

void ControlArray::RequireLoaded(int index) const {
    if (!IsLoaded(index)) {
        throw std::logic_error("control array: element " + std::to_string(index) +
                               " is not loaded");
    }
}

LetterCell& ControlArray::operator[](int index) {
    RequireLoaded(index);
    return cells_[index];
}

const LetterCell& ControlArray::operator[](int index) const {
    RequireLoaded(index);
    return cells_[index];
}

}  // namespace kavrel
