#include "platform/gui/units.h"

#include <vector>

namespace {

struct TUnit {
    const char* name;
    TUnitProc initialize;
    TUnitProc finalize;
};

struct TUnitTable {
    std::vector<TUnit> platform;
    std::vector<TUnit> program;
    std::vector<TUnit> initialized;  // in the order begun
    std::size_t programBegun = 0;
    std::size_t platformBegun = 0;
    TUnitProc failed = nullptr;
};

TUnitTable& Units()
{
    static TUnitTable table;
    return table;
}

void Begin(const TUnit& unit)
{
    TUnitTable& t = Units();
    t.initialized.push_back(unit);
    if (unit.initialize) {
        t.failed = unit.initialize;
        unit.initialize();
        t.failed = nullptr;
    }
}

}  // namespace

TUnitRegistration::TUnitRegistration(const char* name, TUnitProc initialize, TUnitProc finalize)
{
    Units().program.push_back({name, initialize, finalize});
}

void RegisterPlatformUnit(const char* name, TUnitProc initialize, TUnitProc finalize)
{
    Units().platform.push_back({name, initialize, finalize});
}

void InitializeUnits()
{
    TUnitTable& t = Units();
    while (t.platformBegun < t.platform.size()) Begin(t.platform[t.platformBegun++]);
    while (t.programBegun < t.program.size()) Begin(t.program[t.programBegun++]);
}

void FinalizeUnits()
{
    TUnitTable& t = Units();
    while (!t.initialized.empty()) {
        TUnit unit = t.initialized.back();
        t.initialized.pop_back();
        if (!unit.finalize) continue;
        try {
            unit.finalize();
        } catch (...) {
        }
    }
    // A later start-up (tests start several in one process) begins afresh.
    t.platformBegun = 0;
    t.programBegun = 0;
}

std::string InitializedUnitNames()
{
    std::string names;
    for (const TUnit& unit : Units().initialized) {
        if (!names.empty()) names += ' ';
        names += unit.name;
    }
    return names;
}

std::size_t InitializedUnitCount() { return Units().initialized.size(); }

TUnitProc FailedUnitProc() { return Units().failed; }
