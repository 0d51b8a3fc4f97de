#pragma once

namespace passgen {

// Runs step count times, or until it returns false; a count below 1 runs it
// not at all. Counts down, so that every count the type holds, its largest
// too, ends without the counter leaving its range.
template <class Int, class Step> void repeat(Int count, const Step& step)
{
    for (Int left = count; left > 0; --left) {
        if (!step()) {
            return;
        }
    }
}

} // namespace passgen
