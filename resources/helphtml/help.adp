<!DOCTYPE DCF>
<assistantconfig version="3.3.0">
  <profile>
    <property name="name">pantrel</property>
    <property name="title">Pantrel Help</property>
    <property name="startpage">index.html</property>
  </profile>
  <DCF ref="index.html" title="Pantrel Help">
    <section ref="started-firsttime.html" title="Getting started">
      <section ref="started-firsttime.html#started-prefs" title="Preferences"/>
      <keyword ref="started-firsttime.html">Profile wizard</keyword>
      <keyword ref="started-firsttime.html">Body-mass index (BMI)</keyword>
      <keyword ref="started-firsttime.html">Resting metabolic rate (RMR)</keyword>
      <keyword ref="started-firsttime.html">Weight goal</keyword>
      <keyword ref="started-firsttime.html#started-prefs">Preferences</keyword>
      <keyword ref="started-firsttime.html#started-prefs">Units</keyword>
      <keyword ref="started-firsttime.html#started-prefs">Calories and kilojoules</keyword>
    </section>
    <section ref="diary.html" title="The diary">
      <section ref="diary.html#diary-add" title="Adding foods and exercise"/>
      <section ref="diary.html#diary-edit" title="Changing and removing entries"/>
      <section ref="diary.html#diary-layout" title="Meals, snacks and columns"/>
      <section ref="diary.html#id316350" title="Saved meals"/>
      <section ref="diary.html#diary-summary" title="The summary panel"/>
      <section ref="diary.html#diary-ticks" title="Green ticks"/>
      <keyword ref="diary.html">Diary</keyword>
      <keyword ref="diary.html#diary-date">Calendar</keyword>
      <keyword ref="diary.html#diary-add">Adding a food</keyword>
      <keyword ref="diary.html#diary-add">Adding an exercise</keyword>
      <keyword ref="diary.html#diary-edit">Editing an entry</keyword>
      <keyword ref="diary.html#diary-edit">Copying from another day</keyword>
      <keyword ref="diary.html#diary-layout">Snacks</keyword>
      <keyword ref="diary.html#id316350">Saved meals</keyword>
      <keyword ref="diary.html#diary-summary">Water</keyword>
      <keyword ref="diary.html#diary-summary">Summary panel</keyword>
      <keyword ref="diary.html#diary-ticks">Green ticks</keyword>
    </section>
    <section ref="browser.html" title="Finding foods and exercises">
      <section ref="browser-myfoods.html" title="Your own foods and exercises"/>
      <keyword ref="browser.html#browser-search">Searching</keyword>
      <keyword ref="browser.html#browser-search">Favourites</keyword>
      <keyword ref="browser.html#browser-details">Servings</keyword>
      <keyword ref="browser-myfoods.html">Custom foods</keyword>
      <keyword ref="browser-myfoods.html">Custom exercises</keyword>
      <keyword ref="browser-myfoods.html#myfoods-categories">Categories</keyword>
    </section>
    <section ref="checkin.html" title="Check-ins">
      <section ref="checkin.html#checkin-perform" title="Checking in"/>
      <keyword ref="checkin.html">Check-ins</keyword>
      <keyword ref="checkin.html#checkin-perform">Weight</keyword>
      <keyword ref="checkin.html#checkin-perform">Measurements</keyword>
      <keyword ref="checkin.html#checkin-perform">Steps</keyword>
      <keyword ref="checkin.html#checkin-perform">Journal</keyword>
    </section>
    <section ref="diary-targets.html" title="Daily targets">
      <keyword ref="diary-targets.html">Targets</keyword>
      <keyword ref="diary-targets.html#targets-display">Target display size</keyword>
    </section>
    <section ref="chart.html" title="Reports and charts">
      <keyword ref="chart.html">Reports</keyword>
      <keyword ref="chart.html">Charts</keyword>
      <keyword ref="chart.html#chart-period">Period</keyword>
    </section>
    <section ref="diary-print.html" title="Printing">
      <section ref="export.html" title="Exporting your diary"/>
      <keyword ref="diary-print.html">Printing</keyword>
      <keyword ref="diary-print.html#print-preview">Page setup</keyword>
      <keyword ref="diary-print.html#print-preview">Print preview</keyword>
      <keyword ref="export.html">CSV export</keyword>
    </section>
    <section ref="backup.html" title="Backing up your data">
      <keyword ref="backup.html">Backup</keyword>
      <keyword ref="backup.html#backup-restore">Restore</keyword>
      <keyword ref="backup.html#backup-users">Users</keyword>
    </section>
    <section ref="website.html" title="Web sections">
      <section ref="publish.html" title="Publishing your diary"/>
      <keyword ref="website.html">Web sections</keyword>
      <keyword ref="publish.html">Publishing</keyword>
    </section>
  </DCF>
</assistantconfig>
