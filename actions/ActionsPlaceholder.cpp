// Replaced by the file action sources.
