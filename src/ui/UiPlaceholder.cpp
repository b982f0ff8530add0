// Placeholder translation unit; the windows arrive with the desktop program.
