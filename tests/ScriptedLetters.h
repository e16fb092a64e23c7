// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>

#include "trial/RandomSource.h"

namespace kavrel::testing {

// Draws the letters of a script in order, so a test knows every letter a trial will show.
// Each letter is returned as the middle of its 1/26 band of [0, 1).
class ScriptedLetters : public RandomSource {
public:
    explicit ScriptedLetters(std::string letters = {}) : letters_(std::move(letters)) {}

    void Append(const std::string& letters) { letters_ += letters; }
    void Randomize() override { ++reseeds_; }
    double Rnd() override {
        if (next_ >= letters_.size()) {
            throw std::logic_error("the script has no more letters");
        }
        return (letters_[next_++] - 'A' + 0.5) / 26.0;
    }

    int Reseeds() const { return reseeds_; }
    std::size_t Drawn() const { return next_; }

private:
    std::string letters_;
    std::size_t next_ = 0;
    int reseeds_ = 0;
};

}  // namespace kavrel::testing
