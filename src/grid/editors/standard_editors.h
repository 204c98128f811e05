#pragma once
// The grid's standard in-place editors and cell dialogs, installed into a grid's own registry (the data
// grid installs them into its registry when it is made; a bare grid has none).
class TwEditorRegistry;

void InstallStandardEditors(TwEditorRegistry& registry);
