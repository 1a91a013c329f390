#pragma once

// Takes every group whose files all lie in reference folders out of ResultList: the user keeps
// them all, and copies inside the reference folders are not the search's business. The groups
// left keep their order and are numbered 1, 2, 3, ... again; OriginalBytes and DuplicateBytes count
// only them. Changes nothing when no record is a reference file.
void DropReferenceGroups();
