// Picture decoding for the show.
