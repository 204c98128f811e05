#pragma once
// Registers the grid's standard in-place editors and cell dialogs in TwEditorRegistry::Standard(). Called
// by every data grid before its first editor is made; registering twice changes nothing.
void RegisterStandardEditors();
