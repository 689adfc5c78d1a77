#!/usr/bin/env python3
"""The manuals' layout checks catch what they are there for: a cross-reference that would print
without its section and page, a settings-file word set as a screen label and a screen label set
as code, and an index term whose explaining section is missing or silent."""
import os
import sys
import unittest
from unittest import mock

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "docs"))
import manuals  # noqa: E402

# As pandoc writes it: a link broken between "<a" and "href", the settings chapter between two
# others, a screen label in the chapter after it.
PAGE = """<html><body><nav class="toc"><ul><li><a href="#snapping">Snapping</a></li></ul></nav><main>
<h1 data-number="1" id="scales"><span>1</span> Scales</h1>
<h2 data-number="1.1" id="snapping"><span>1.1</span> Snapping</h2>
<p>While snapping is on, values land on round numbers; see <a
href="#scales">Scales</a>, <a href="#snapping">Snapping</a> and <a href="#index">the index</a>.</p>
<h1 data-number="2" id="the-settings-file"><span>2</span> The settings file</h1>
<p>The lines <code>teleconverter</code> and <code>end</code>, infinity <code>−1.00</code>.</p>
<h1 data-number="3" id="questions"><span>3</span> Questions</h1>
<p>Use <code>Reset Scales</code> or <code>qel-calc</code>; snapping helps.</p>
</main><div id="index"></div></body></html>"""
WORDS = {"teleconverter", "end", "focus_at"}
LABELS = {"Reset Scales", "Delete"}


class ManualChecks(unittest.TestCase):
    def test_cross_references_name_their_section_and_page(self):
        self.assertEqual(manuals.check_cross_references(manuals.mark_cross_references(PAGE)), [])
        for page, faults in ((PAGE, 2),  # neither link in the body marked
                             (PAGE.replace('href="#scales"', 'href="#scale"'), 2),  # one to nothing
                             (manuals.mark_cross_references(PAGE).replace(' data-section="1.1"', ""), 1)):
            self.assertEqual(len(manuals.check_cross_references(page)), faults, page)

    def test_settings_words_stay_code_and_screen_labels_are_labels(self):
        marked = manuals.mark_ui_labels(PAGE)
        self.assertEqual(manuals.check_labels(marked, WORDS, LABELS), [])
        self.assertIn("<code>teleconverter</code>", marked)
        self.assertIn("<code>−1.00</code>", marked)
        self.assertIn('<span class="ui">Reset Scales</span>', marked)
        self.assertIn("<code>qel-calc</code>", marked)
        for old, fault in (("<code>teleconverter</code>", '<span class="ui">teleconverter</span>'),
                           ("<code>teleconverter</code>", "<code>Delete</code>"),
                           ("<code>qel-calc</code>", '<span class="ui">end</span>'),  # a word only the file has
                           ("<code>qel-calc</code>", '<span class="ui">Delete</span>')):  # no fault
            swapped = marked.replace(old, fault)
            self.assertEqual(len(manuals.check_labels(swapped, WORDS, LABELS)), "Delete</span>" not in fault, fault)

    def test_index_starts_with_the_explaining_section(self):
        for index, faults in (([("snapping", None, "snapping", ["questions"])], 0),
                              ([("snapping", None, "rounding", [])], 1),  # the section is missing
                              ([("infinity", None, "snapping", [])], 1),  # the section is silent
                              ([("round", r"round numbers?", "snapping", [])], 0)):
            with mock.patch.object(manuals, "INDEX", index):
                html, entries, errors = manuals.add_index_anchors(PAGE)
            self.assertEqual(len(errors), faults, (index, errors))
            if not faults:
                term, anchors = entries[0]
                first = html.index(f'id="{anchors[0]}"')
                self.assertTrue(html.index('id="snapping"') < first < html.index('id="the-settings-file"'))
                self.assertEqual(len(anchors), 1 + len(index[0][3]), anchors)


if __name__ == "__main__":
    unittest.main()
