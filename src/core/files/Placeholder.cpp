// Placeholder translation unit; replaced by the folder's real sources.
