// Placeholder until the area has sources of its own.
