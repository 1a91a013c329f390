// Replaced by the result list and marking sources.
