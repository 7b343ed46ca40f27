#pragma once

#include <QString>

#include <vector>

class THidDevice;

// The HID devices present, one line each in the controller's list order,
// holding the device objects checked out of the controller (none where the
// check-out was refused), and the meter's cable chosen among them: the last
// line whose caption is exactly "USB to Serial". A cable that reports a
// serial number has a longer caption and is not chosen.
class CableList {
public:
    CableList() = default;
    CableList(const CableList&) = delete;
    CableList& operator=(const CableList&) = delete;
    ~CableList() { clear(); }

    // The product string, or "Device VID=%.4X PID=%.4X" without one, then
    // " (Serial=...)" when the device reports a serial number.
    static QString caption(THidDevice* device);

    void add(const QString& caption, THidDevice* checkedOut);
    // Destroys the device objects, which checks them in; no line is chosen.
    // A spared device is only taken off its line: its owner keeps it.
    void clear(const THidDevice* spared = nullptr);
    // The line of `kept` when it is listed (a connected cable keeps its
    // selection), otherwise the last line captioned "USB to Serial".
    void chooseCable(const THidDevice* kept = nullptr);
    int rowOf(const THidDevice* device) const; // -1: not listed

    int count() const { return static_cast<int>(lines_.size()); }
    const QString& caption(int row) const { return lines_[std::size_t(row)].caption; }
    THidDevice* device(int row) const; // none outside the list
    int chosen() const { return chosen_; } // -1: none
    THidDevice* chosenDevice() const { return device(chosen_); }

private:
    struct Line {
        QString caption;
        THidDevice* device;
    };
    std::vector<Line> lines_;
    int chosen_ = -1;
};
