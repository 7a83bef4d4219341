import unittest
from common import main
if __name__ == "__main__":
    main()
