// SPDX-License-Identifier: GPL-3.0-or-later
// A DVD's layout: what each file of a VIDEO_TS folder is, which title set and part it belongs
// to, its backup twin, and the folders that hold a disc (a VIDEO_TS folder or a disc's root).
// Every folder listing and every comparison of file names without case goes through here.
#pragma once

#include <string>
#include <vector>

enum class DiscFileKind {
  kOther,
  kTitleVob,  // VTS_nn_k.VOB, k 1-9: part k of title set nn's titles
  kMenuVob,   // VTS_nn_0.VOB, VIDEO_TS.VOB
  kIfo,       // VTS_nn_0.IFO, VIDEO_TS.IFO
  kBackup,    // VTS_nn_0.BUP, VIDEO_TS.BUP
};

struct DiscFile {
  DiscFileKind kind = DiscFileKind::kOther;
  int titleSet = 0;  // 1-99; 0 for the video manager (VIDEO_TS.*)
  int part = 0;      // 1-9 for a title VOB; 0 otherwise
};

// What a file is, from its name in any letter case; kOther for every other name.
DiscFile ClassifyDiscFile(const std::string& path);

// ASCII letters in lower case: how file names are compared on every system.
std::string FoldCase(std::string text);
// Whether the file name ends in `extension` (".vob"), compared without case.
bool HasExtension(const std::string& path, const std::string& extension);
// The name after the last folder separator, and what comes before it (with the separator;
// empty when there is none).
std::string FileNameOf(const std::string& path);
std::string FolderPartOf(const std::string& path);
// `name` inside `folder`.
std::string JoinPath(const std::string& folder, const std::string& name);

// Sorts paths alphabetically without case; names equal but for case keep a fixed order.
void SortFolded(std::vector<std::string>& paths);

// True when `next` is the part after `path` of the same title set: VTS_nn_k.VOB then
// VTS_nn_(k+1).VOB in the same folder, k from 1, names compared without case.
bool IsNextVobPart(const std::string& path, const std::string& next);
// The paths with the title VOBs of each title set and folder put in part order, in the places
// those files held; logs a level-4 line when any was given out of order.
std::vector<std::string> OrderVobParts(const std::vector<std::string>& paths);

// The backup twin of an IFO file: the file beside it whose name is the IFO's with .BUP in place
// of .IFO, in any letter case; empty when there is none or the name does not end in .IFO.
std::string BackupTwinPath(const std::string& ifoPath);

// The IFO file of the title set a VOB file belongs to (VTS_nn_0.IFO beside VTS_nn_k.VOB, in any
// letter case); empty when the name is no title set's VOB or there is no such file.
std::string TitleSetIfoPath(const std::string& vobPath);

bool IsFolder(const std::string& path);
// The folder that holds a disc's files: `folder` itself, or, for a disc's root (a folder
// holding no VOB or IFO file but a VIDEO_TS folder in any letter case), that VIDEO_TS folder.
std::string DiscFolder(const std::string& folder);
// The regular files of the disc folder of `folder` (see DiscFolder) whose names end in
// `extension` (any case), as folder/name, sorted without case. Empty when there are none or
// the folder can't be read.
std::vector<std::string> FolderFiles(const std::string& folder, const std::string& extension);
// The title VOBs of the disc folder of `folder`, each title set one group of parts in part
// order, title sets in order; menu VOBs are left out.
std::vector<std::vector<std::string>> TitleVobGroups(const std::string& folder);
