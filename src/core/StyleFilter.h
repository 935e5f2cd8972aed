#pragma once
// One entry of the style catalogue: the image filter a style uses and the filter inputs its
// intensity drives, with the ranges intensity spans. Entries are built once by
// StyleCatalogue and never change, so any thread may read them.

#include <map>
#include <optional>
#include <string>
#include <vector>

struct ClosedRange {
    double lowerBound = 0;
    double upperBound = 0;
    friend bool operator==(const ClosedRange&, const ClosedRange&) = default;
};

class StyleFilter {
public:
    // The `normal` entry: no filter, nothing driven.
    explicit StyleFilter(std::string name);
    // An entry for the image filter `fName`. Its driven inputs are the filter's own input keys
    // that have a range, in the filter's order; `zero` holds their numeric defaults. An `fName`
    // the image layer does not know stops the program: the catalogue is fixed, so that is a
    // build fault, not a run-time condition.
    StyleFilter(std::string name, std::map<std::string, double> def,
                std::map<std::string, ClosedRange> range, std::string fName);

    // `inputs`, or nothing when there is no filter or nothing is driven (the photo effects).
    std::optional<std::vector<std::string>> controlledInputs() const;

    std::string name;
    std::vector<std::string> inputs;
    std::map<std::string, double> def;
    std::map<std::string, double> zero;
    std::map<std::string, ClosedRange> range;
    std::string fName;
};
