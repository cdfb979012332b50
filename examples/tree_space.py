#!/usr/bin/python3
"""Draws the trees of a matrix file as a picture of tree space.

Left, a heat map of the table of distances between every two trees; right,
the trees as points in the plane, placed by classical multidimensional
scaling of that table so that their distances in the plane are as near as
they can be to the table's. Trees that the table keeps close fall together.

    examples/tree_space.py MATRIX_FILE PICTURE.png [--metric rf|wrf|kf]

Needs the module rf_compare and Debian's python3-matplotlib.
"""

import argparse
import os

import matplotlib

matplotlib.use("Agg")  # files only, no window
import matplotlib.pyplot as plt
import numpy as np

import rf_compare


def classical_scaling(distances: np.ndarray, dimensions: int = 2) -> np.ndarray:
    """Points whose distances best match the table (Torgerson's method):
    the leading eigenvectors of the doubly centred squared distances."""
    m = len(distances)
    centring = np.eye(m) - np.full((m, m), 1.0 / m)
    inner = -0.5 * centring @ (distances.astype(float) ** 2) @ centring
    values, vectors = np.linalg.eigh(inner)
    leading = np.argsort(values)[::-1][:dimensions]
    return vectors[:, leading] * np.sqrt(np.clip(values[leading], 0.0, None))


def draw(table: np.ndarray, metric: str, title: str, picture: str) -> None:
    figure, (heat, space) = plt.subplots(1, 2, figsize=(11, 4.8), layout="constrained")
    shown = heat.imshow(table, cmap="viridis")
    heat.set(title=f"{metric} distance between trees", xlabel="tree", ylabel="tree")
    figure.colorbar(shown, ax=heat, shrink=0.8)
    points = classical_scaling(table)
    numbers = np.arange(1, len(points) + 1)
    placed = space.scatter(points[:, 0], points[:, 1], c=numbers, cmap="plasma", edgecolors="black", linewidths=0.5)
    figure.colorbar(placed, ax=space, shrink=0.8, label="tree number")
    if len(points) <= 30:
        for number, (x, y) in zip(numbers, points):
            space.annotate(str(number), (x, y), textcoords="offset points", xytext=(4, 4), fontsize=8)
    space.set(title="trees placed by classical scaling", xlabel="first axis", ylabel="second axis")
    space.set_aspect("equal", adjustable="datalim")
    figure.suptitle(title)
    figure.savefig(picture, dpi=100)


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("matrix_file")
    parser.add_argument("picture")
    parser.add_argument("--metric", choices=("rf", "wrf", "kf"), default="rf")
    arguments = parser.parse_args()
    table = rf_compare.pairs(rf_compare.read_matrices(arguments.matrix_file), metric=arguments.metric)
    name = os.path.basename(arguments.matrix_file)
    draw(table, arguments.metric, f"{len(table)} trees of {name}", arguments.picture)


if __name__ == "__main__":
    main()
