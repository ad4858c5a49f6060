// rock
