// Placeholder until the text conventions land.
