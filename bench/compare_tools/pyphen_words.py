#!/usr/bin/python3
# German words per second through Pyphen (Debian's python3-pyphen) with the
# same hyph_de_DE.dic and the same evenly spread sample of the German word
# list as bench/language_bench.cc, for the figure beside BM_GermanWordsEngine.
# Usage: pyphen_words.py [DIC] [WORDS]
import sys
import time

import pyphen

dic_file = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/hyphen/hyph_de_DE.dic"
list_file = sys.argv[2] if len(sys.argv) > 2 else "/usr/share/dict/ngerman"
wanted = 50000

with open(list_file, encoding="utf-8") as f:
    words = [line.rstrip("\n") for line in f if line.strip()]
step = len(words) // wanted + 1
words = words[::step]

dic = pyphen.Pyphen(filename=dic_file)
# Processor time, as the benchmark's items_per_second counts it.
start = time.process_time()
for word in words:
    dic.inserted(word, "_")
elapsed = time.process_time() - start
print(f"pyphen: {len(words)} words in {elapsed:.3f} s of processor time, {len(words) / elapsed:,.0f} words/s")
