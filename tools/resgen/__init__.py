"""Generators of the resources built into Geovista 3D."""
