#pragma once

#include "core/machine/MachineRunner.h"

#include <QWidget>

class QLabel;
class QTabWidget;

namespace kelm {

// The comparison of a whole machine with its backup: one tab per unit ("Unit 4 Drive",
// marked with * when values differ), each holding the comparison grid of that unit with
// all its rows; units that could not be compared are named above the tabs. It only shows
// what the run found: it reads and writes nothing.
class TFMachineCompare final : public QWidget {
    Q_OBJECT
public:
    TFMachineCompare(const QString& folder, const CompareResult& result, QWidget* parent);

    QTabWidget* Tabs = nullptr;
    QLabel* Summary = nullptr;
};

} // namespace kelm
