#pragma once
// The language table as rows of four cells, as it travels between the
// database and a workbook: column 0 is the sign (or fault key), columns 1-3
// the three languages.
//   one row per UI text:       nSign, Lan1, Lan2, Lan3
//   one separator row:         all empty
//   three rows per fault code: key "ERRnn_level"; names, then causes, then remedies
//   end marker (workbook only): "End" in every cell
#include <QString>
#include <array>
#include <vector>

// UI texts the station shows: a sheet must bring signs 0 to 276 at least.
constexpr int kUiTextsUsed = 277;
// A language table is a few hundred rows (UI texts, three per fault code);
// a sheet of more is no language table and is not read on.
constexpr int kMaxLanguageRows = 4096;
// One text of the table, and all of its texts together, in characters: the
// shipped texts are at most a few hundred characters, the whole table some
// tens of thousands. Whatever is imported is loaded at every start.
constexpr int kMaxLanguageText = 1024;
constexpr int kMaxLanguageTableChars = 1 << 20;

struct strLanguageSheet {
    std::vector<std::array<QString, 4>> rows;
    // Where rows[0] and its sign cell stand in the workbook, so that a refusal
    // names the cell the operator sees.
    int nFirstRow = 2;
    int nFirstCol = 1;
};
